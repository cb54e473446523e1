// Message maps: static tables, one per class, that bind window messages and
// commands to handler members. Each table is chained to its base class's table,
// and each row calls its handler through an adapter that knows the handler's
// exact signature, so no member pointer is ever cast to another type.
#pragma once

#include <windows.h>

#include <type_traits>

class CCmdTarget;

namespace afx {

// Calls one handler on target with the message's parameters and gives the message's result.
using HandlerAdapter = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);

// One row of a message map. Rows for WM_COMMAND also match a notification
// code and a command id; the row with a null adapter ends the table.
struct MessageMapEntry {
    UINT message;
    UINT code;
    UINT id;
    HandlerAdapter adapter;
};

// A class's table and the way to its base class's table (null at the root).
struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;
};

// The class that declares a member function.
template <class>
struct MemberClass;
template <class C, class R, class... Args>
struct MemberClass<R (C::*)(Args...)> {
    using type = C;
};
template <auto Handler>
using member_class_t = typename MemberClass<decltype(Handler)>::type;

// Checks at compile time that Handler is a member of its class with signature Signature.
template <auto Handler, class Signature>
inline constexpr bool has_signature = std::is_same_v<decltype(Handler), Signature member_class_t<Handler>::*>;

// The object a row belongs to, as the class that declares the handler. A map
// is only consulted for objects of its own class or a class derived from it.
template <auto Handler>
member_class_t<Handler>& handler_object(CCmdTarget& target) {
    return static_cast<member_class_t<Handler>&>(target);
}

// void Handler()
template <auto Handler>
LRESULT call_void(CCmdTarget& target, WPARAM, LPARAM) {
    static_assert(has_signature<Handler, void()>, "the handler must be void ()");
    (handler_object<Handler>(target).*Handler)();
    return 0;
}

// void Handler(UINT nID, LPARAM lParam), for WM_SYSCOMMAND
template <auto Handler>
LRESULT call_sys_command(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
    static_assert(has_signature<Handler, void(UINT, LPARAM)>, "the handler must be void (UINT, LPARAM)");
    (handler_object<Handler>(target).*Handler)(static_cast<UINT>(wParam), lParam);
    return 0;
}

// HCURSOR Handler(), for WM_QUERYDRAGICON: the handle is the message's result
template <auto Handler>
LRESULT call_cursor(CCmdTarget& target, WPARAM, LPARAM) {
    static_assert(has_signature<Handler, HCURSOR()>, "the handler must be HCURSOR ()");
    return reinterpret_cast<LRESULT>((handler_object<Handler>(target).*Handler)());
}

}  // namespace afx

// clang-format off
// In a class derived from CCmdTarget: declares the class's message map.
#define DECLARE_MESSAGE_MAP()                            \
protected:                                               \
    static const ::afx::MessageMap* GetThisMessageMap(); \
    const ::afx::MessageMap* GetMessageMap() const override;

// Starts the message map of theClass, chained to the map of baseClass.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                    \
    const ::afx::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }      \
    const ::afx::MessageMap* theClass::GetThisMessageMap() {                                      \
        using ThisClass [[maybe_unused]] = theClass;                                              \
        using TheBaseClass = baseClass;                                                           \
        static constexpr ::afx::MessageMapEntry entries[] = {
// Ends a message map.
#define END_MESSAGE_MAP()                                                                         \
        {0, 0, 0, nullptr}};                                                                      \
        static constexpr ::afx::MessageMap map{&TheBaseClass::GetThisMessageMap, entries};        \
        return &map;                                                                              \
    }

// void OnPaint()
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &::afx::call_void<&ThisClass::OnPaint>},
// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, &::afx::call_sys_command<&ThisClass::OnSysCommand>},
// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, 0, &::afx::call_cursor<&ThisClass::OnQueryDragIcon>},
// void memberFxn(): a command from a menu, an accelerator or a button
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, id, &::afx::call_void<&ThisClass::memberFxn>},
// void memberFxn(): notification code from control id
#define ON_CONTROL(code, id, memberFxn) {WM_COMMAND, code, id, &::afx::call_void<&ThisClass::memberFxn>},
// void memberFxn(): a click on button id
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
// clang-format on
