#include "engine/UnionFind.h"

UnionFind::UnionFind(int n) : parent(nullptr), elementCount(n) {
    // An empty set system needs no storage; keeping it null avoids a zero-size allocation.
    if (n > 0) {
        parent = new int[n];
        for (int i = 0; i < n; ++i) parent[i] = -1;
    }
}

UnionFind::~UnionFind() {
    if (parent) delete[] parent;
}

int UnionFind::find(int i) {
    int root = i;
    while (parent[root] != root) root = parent[root];
    // Second walk: point every element on the path straight at the root.
    int j = i;
    while (parent[j] != root) {
        const int next = parent[j];
        parent[j] = root;
        j = next;
    }
    return root;
}

int UnionFind::unify(int a, int b) {
    parent[a] = find(a);
    parent[b] = parent[a];
    return parent[a];
}
