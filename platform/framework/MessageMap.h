#pragma once

#include <windows.h>

#include <cstddef>
#include <type_traits>

class CCmdTarget;

// One row of a message map: the message, for WM_COMMAND its notification code and control id, and
// the member that handles it, reached through a thunk that fixes the handler's signature.
struct MessageMapEntry {
    UINT message;
    UINT code;
    UINT id;
    LRESULT (*handler)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);
};

// A class's own rows; the base class's map is searched when none of them matches.
struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
    std::size_t count;
};

namespace framework_detail {

template <class> struct Member;
template <class T, class F> struct Member<F T::*> {
    using Class = T;
    using Function = F;
};

// Each thunk accepts only handlers of the signature its message delivers: a mismatch fails to
// compile at the map row that names the handler.
template <auto Handler> LRESULT CallVoid(CCmdTarget& target, WPARAM, LPARAM) {
    using M = Member<decltype(Handler)>;
    static_assert(std::is_same_v<typename M::Function, void()>, "handler must be void ()");
    (static_cast<typename M::Class&>(target).*Handler)();
    return 0;
}

template <auto Handler> LRESULT CallSysCommand(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
    using M = Member<decltype(Handler)>;
    static_assert(std::is_same_v<typename M::Function, void(UINT, LPARAM)>,
                  "handler must be void (UINT id, LPARAM)");
    (static_cast<typename M::Class&>(target).*Handler)(static_cast<UINT>(wParam), lParam);
    return 0;
}

template <auto Handler> LRESULT CallQueryIcon(CCmdTarget& target, WPARAM, LPARAM) {
    using M = Member<decltype(Handler)>;
    static_assert(std::is_same_v<typename M::Function, HCURSOR()>, "handler must be HCURSOR ()");
    return reinterpret_cast<LRESULT>((static_cast<typename M::Class&>(target).*Handler)());
}

} // namespace framework_detail

// clang-format off

// Declares a class's message map inside its class body.
#define DECLARE_MESSAGE_MAP()                                                 \
protected:                                                                    \
    static const MessageMap* GetThisMessageMap();                             \
    const MessageMap* GetMessageMap() const override;

// Opens a class's map: rows follow, one macro each, and END_MESSAGE_MAP closes it.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                \
    const MessageMap* theClass::GetMessageMap() const {                       \
        return GetThisMessageMap();                                           \
    }                                                                         \
    const MessageMap* theClass::GetThisMessageMap() {                         \
        using ThisClass [[maybe_unused]] = theClass;                          \
        using TheBaseClass = baseClass;                                       \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                     \
            {0, 0, 0, nullptr}};                                              \
        static const MessageMap map = {TheBaseClass::GetThisMessageMap(),     \
                                       entries,                               \
                                       sizeof entries / sizeof entries[0] - 1}; \
        return &map;                                                          \
    }

// The rows: {message, notification code, control id, handler}, each with the handler it takes.
#define ON_COMMAND(id, handler) /* void handler() */                          \
    {WM_COMMAND, 0, id, &framework_detail::CallVoid<handler>},
#define ON_BN_CLICKED(id, handler) /* void handler() */                       \
    {WM_COMMAND, BN_CLICKED, id, &framework_detail::CallVoid<handler>},
#define ON_EN_KILLFOCUS(id, handler) /* void handler() */                     \
    {WM_COMMAND, EN_KILLFOCUS, id, &framework_detail::CallVoid<handler>},
#define ON_WM_PAINT() /* void OnPaint() */                                    \
    {WM_PAINT, 0, 0, &framework_detail::CallVoid<&ThisClass::OnPaint>},
#define ON_WM_SYSCOMMAND() /* void OnSysCommand(UINT id, LPARAM lParam) */    \
    {WM_SYSCOMMAND, 0, 0,                                                     \
     &framework_detail::CallSysCommand<&ThisClass::OnSysCommand>},
#define ON_WM_QUERYDRAGICON() /* HCURSOR OnQueryDragIcon() */                 \
    {WM_QUERYDRAGICON, 0, 0,                                                  \
     &framework_detail::CallQueryIcon<&ThisClass::OnQueryDragIcon>},

// clang-format on
