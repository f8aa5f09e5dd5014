// Requesters, their buttons and the PIBlocks the host hands out.
#include <algorithm>
#include <memory>

#include "hostsim/Host.h"
#include "hostsim/HostDetail.h"

namespace hostsim {

using detail::low32;

namespace {

constexpr int64_t kMaxBlockPixels = int64_t(1) << 26;

}  // namespace

const Button* Requester::button(int id) const {
    for (const Button& b : buttons)
        if (b.id == id) return &b;
    return nullptr;
}

int64_t Host::serveRequester(Call& call, int64_t* s) {
    switch (call.command) {
        case kCmdCloseReq: {
            Requester* r = findRequester(s[0]);
            if (r) r->open = false;
            return 0;
        }
        case kCmdReq:
            return serveReqOp(call, s);
        case kCmdOpenReq:
        case kCmdOpenReqEx:
        case kCmdOpenFilterReq: {
            if (faults_.failOpenRequester) return 0;
            Requester r;
            r.handle = nextHandle_++;
            if (call.command == kCmdOpenFilterReq) {
                r.width = low32(s[0]);
                r.height = low32(s[1]);
                for (int k = 0; k < 4; ++k) r.values[k] = s[2 + k];
            } else {
                r.width = low32(s[2]);
                r.height = low32(s[3]);
            }
            requesters_.push_back(r);
            return r.handle;
        }
        case kCmdAllocPIBlock: {
            if (faults_.allocBlockNull) return 0;
            int64_t w = low32(s[0]), h = low32(s[1]);
            if (faults_.allocBlockSize) {
                w = faults_.allocBlockSize->first;
                h = faults_.allocBlockSize->second;
            }
            return reinterpret_cast<intptr_t>(newBlock(w, h));
        }
        case kCmdFreePIBlock: {
            const PIBlock* b = reinterpret_cast<const PIBlock*>(static_cast<intptr_t>(s[0]));
            for (size_t i = 0; i < blocks_.size(); ++i) {
                if (&blocks_[i]->block != b) continue;
                for (Requester& r : requesters_)
                    for (Button& btn : r.buttons)
                        if (btn.image == b) btn.image = nullptr;
                blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
            return 0;
        }
        default:
            return 0;
    }
}

int64_t Host::serveReqOp(Call& call, int64_t* s) {
    Requester* r = findRequester(s[1]);
    if (!r || !r->open) return 0;
    auto findButton = [&](int id) -> Button* {
        for (Button& b : r->buttons)
            if (b.id == id) return &b;
        return nullptr;
    };
    switch (call.subOp) {
        case kOpInfoReq:  // position and size
            s[2] = 100;
            s[3] = 80;
            s[4] = r->width;
            s[5] = r->height;
            return 1;
        case kOpSetReqTitle:
            r->title = call.text(2);
            return 1;
        case kOpReqToFront:
            ++r->toFrontCount;
            return 1;
        case kOpReqToBack:
            return 1;
        case kOpAddButtonReq: {
            Button b;
            b.x = low32(s[2]);
            b.y = low32(s[3]);
            b.w = low32(s[4]);
            b.h = low32(s[5]);
            b.id = low32(s[6]);
            b.flags = s[7];
            b.label = call.text(8);
            if (Button* old = findButton(b.id))
                *old = b;
            else
                r->buttons.push_back(b);
            return 1;
        }
        case kOpRemoveButtonReq: {
            int id = low32(s[2]);
            auto it = std::find_if(r->buttons.begin(), r->buttons.end(),
                                   [&](const Button& b) { return b.id == id; });
            if (it == r->buttons.end()) return 0;
            r->buttons.erase(it);
            return 1;
        }
        case kOpSetButtonInfoText: {
            Button* b = findButton(low32(s[2]));
            if (!b) return 0;
            b->help = call.text(3);
            return 1;
        }
        case kOpPutButtonImage: {
            Button* b = findButton(low32(s[2]));
            PIBlock* block = reinterpret_cast<PIBlock*>(static_cast<intptr_t>(s[3]));
            if (!b || !ownsBlock(block)) return 0;
            b->image = block;
            return 1;
        }
        case kOpGetButtonImage: {
            Button* b = findButton(low32(s[2]));
            if (!b || faults_.buttonImageNull) return 0;
            if (faults_.buttonImageSize)
                return reinterpret_cast<intptr_t>(
                    newBlock(faults_.buttonImageSize->first, faults_.buttonImageSize->second));
            return reinterpret_cast<intptr_t>(b->image);
        }
        case kOpRefreshButtonImage: {
            Button* b = findButton(low32(s[2]));
            if (!b) return 0;
            ++b->refreshCount;
            return 1;
        }
        default:
            return 0;
    }
}

Requester* Host::findRequester(int64_t handle) {
    for (Requester& r : requesters_)
        if (r.handle == handle) return &r;
    return nullptr;
}

const Requester* Host::requester(int64_t handle) const {
    for (const Requester& r : requesters_)
        if (r.handle == handle) return &r;
    return nullptr;
}

const Requester* Host::openRequester() const {
    for (auto it = requesters_.rbegin(); it != requesters_.rend(); ++it)
        if (it->open) return &*it;
    return nullptr;
}

void Host::closeRequesterByUser(int64_t handle) {
    if (Requester* r = findRequester(handle)) r->open = false;
}

PIBlock* Host::newBlock(int64_t w, int64_t h) {
    if (w < 0 || h < 0 || (h != 0 && w > kMaxBlockPixels / h)) return nullptr;
    auto owned = std::make_unique<OwnedBlock>();
    owned->data.assign(static_cast<size_t>(w * h) * 4, 0);
    owned->block.width = static_cast<int32_t>(w);
    owned->block.height = static_cast<int32_t>(h);
    owned->block.data = owned->data.empty() ? nullptr : owned->data.data();
    blocks_.push_back(std::move(owned));
    return &blocks_.back()->block;
}

bool Host::ownsBlock(const PIBlock* block) const {
    if (!block) return false;
    for (const auto& b : blocks_)
        if (&b->block == block) return true;
    return false;
}

}  // namespace hostsim
