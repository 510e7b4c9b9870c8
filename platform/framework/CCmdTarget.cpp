#include "platform/framework/CCmdTarget.h"

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static const MessageMap root = {nullptr, nullptr, 0};
    return &root;
}

const MessageMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

namespace {

bool Matches(const MessageMapEntry& entry, UINT message, WPARAM wParam) {
    if (entry.message != message) {
        return false;
    }
    return message != WM_COMMAND || (entry.code == HIWORD(wParam) && entry.id == LOWORD(wParam));
}

} // namespace

bool CCmdTarget::OnCmdMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            if (Matches(map->entries[i], message, wParam)) {
                result = map->entries[i].handler(*this, wParam, lParam);
                return true;
            }
        }
    }
    return false;
}
