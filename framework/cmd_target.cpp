#include "framework/cmd_target.h"

const afx::MessageMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const afx::MessageMap* CCmdTarget::GetThisMessageMap() {
    static constexpr afx::MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
    static constexpr afx::MessageMap map{nullptr, entries};
    return &map;
}

const afx::MessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT nCode, UINT nID) const {
    for (const afx::MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const afx::MessageMapEntry* entry = map->entries; entry->adapter != nullptr; ++entry) {
            if (entry->message != message)
                continue;
            if (message != WM_COMMAND)
                return entry;
            if (entry->code == nCode && entry->id == nID)
                return entry;
        }
    }
    return nullptr;
}

bool CCmdTarget::OnCmdMsg(UINT nID, UINT nCode) {
    const afx::MessageMapEntry* entry = FindEntry(WM_COMMAND, nCode, nID);
    if (entry == nullptr)
        return false;
    entry->adapter(*this, MAKEWPARAM(nID, nCode), 0);
    return true;
}
