#include "engine/solve1.h"

#include <memory>

#include "engine/raster.h"
#include "maxflow/GridGraph_2D_4C.h"

namespace {

typedef GridGraph_2D_4C<int, int, int> Graph;

// Fixed rather than scaled with the image: the quarter-scale problem, the only user, always has
// weights from 1 to 22628.
const int kScribbleTie = 3200;

}  // namespace

void solve1(const Array2<unsigned char>& image, const Array2<int>& weights,
            const Array2<int>& scribbles, int labelCount, Array2<int>* result) {
    const int w = image.width();
    const int h = image.height();

    // 1 = not yet labelled; a pixel drops out of every later graph once a pass labels it.
    Array2<unsigned char> active(image.size());
    fill(&active, static_cast<unsigned char>(1));

    for (int label = 0; label < labelCount - 1; ++label) {
        std::unique_ptr<Graph> graph(new Graph(w, h, 0));

        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int i = y * w + x;
                if (active[i] == 0) continue;
                const int n = graph->node_id(x, y);
                const int s = scribbles[i];
                // A scribble of a lower label is spent: (0, 0) ties nothing and leaves the node
                // free. The other calls root nodes in raster order, the order the search takes.
                if (s != -1) {
                    graph->set_terminal_cap(n, s == label ? kScribbleTie : 0,
                                            s > label ? kScribbleTie : 0);
                }
                if (x < w - 1 && active[i + 1] != 0) {
                    graph->set_neighbor_cap(n, 1, 0, weights[i], weights[i]);
                }
                if (y < h - 1 && active[i + w] != 0) {
                    graph->set_neighbor_cap(n, 0, 1, weights[i], weights[i]);
                }
            }
        }

        graph->compute_maxflow();

        // Free nodes count with the source: whatever cannot reach the sink takes this label.
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int i = y * w + x;
                if (active[i] != 0 && graph->get_segment(graph->node_id(x, y)) == 0) {
                    (*result)[i] = label;
                    active[i] = 0;
                }
            }
        }
    }

    const int n = active.numel();
    for (int i = 0; i < n; ++i) {
        if (active[i] != 0) (*result)[i] = labelCount - 1;
    }
}
