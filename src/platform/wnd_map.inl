#pragma once

// The entry makers of wnd.h's message maps. Each entry stores a small generated function
// (a thunk) that turns the CWnd* back into the handler's class and unpacks wParam and lParam
// the way the message carries them. The handler is a non-type template parameter, so every
// (message, handler) pair gets its own thunk and the table holds plain function pointers.
// Included at the end of wnd.h; nothing else includes it.

#include <type_traits>

namespace tessel::platform::detail {

// The class and result of a member-function pointer type.
template <class T>
struct MemberTraits;
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...)> {
    using Class = C;
    using Result = R;
};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) const> {
    using Class = C;
    using Result = R;
};

template <auto Handler>
using HandlerClass = typename MemberTraits<decltype(Handler)>::Class;

// Calls the handler with the arguments and makes an LRESULT of what it returns (0 for void).
template <auto Handler, class... Args>
LRESULT Invoke(CWnd* pWnd, Args&&... args) {
    static_assert(std::is_member_function_pointer_v<decltype(Handler)>,
                  "a message map handler is a member function");
    using C = HandlerClass<Handler>;
    static_assert(std::is_base_of_v<CWnd, C>, "a message map handler is a member of a window");
    C* pObject = static_cast<C*>(pWnd);
    using R = typename MemberTraits<decltype(Handler)>::Result;
    if constexpr (std::is_void_v<R>) {
        (pObject->*Handler)(static_cast<Args&&>(args)...);
        return 0;
    } else {
        return static_cast<LRESULT>((pObject->*Handler)(static_cast<Args&&>(args)...));
    }
}

inline CWnd* WindowFromParam(std::uintptr_t v) {
    return CWnd::FromHandle(reinterpret_cast<HWND>(v));
}

template <UINT Message, auto Handler>
LRESULT MessageThunk(CWnd* pWnd, WPARAM wParam, LPARAM lParam) {
    if constexpr (Message == WM_CREATE) {
        return Invoke<Handler>(pWnd, reinterpret_cast<LPCREATESTRUCT>(lParam));
    } else if constexpr (Message == WM_DESTROY || Message == WM_PAINT || Message == WM_CLOSE) {
        return Invoke<Handler>(pWnd);
    } else if constexpr (Message == WM_KEYDOWN || Message == WM_KEYUP || Message == WM_CHAR) {
        return Invoke<Handler>(pWnd, static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    } else if constexpr (Message == WM_MOUSEMOVE || Message == WM_LBUTTONDOWN ||
                         Message == WM_LBUTTONUP || Message == WM_LBUTTONDBLCLK ||
                         Message == WM_RBUTTONDOWN || Message == WM_RBUTTONUP ||
                         Message == WM_RBUTTONDBLCLK) {
        return Invoke<Handler>(pWnd, static_cast<UINT>(wParam), PointFromLParam(lParam));
    } else if constexpr (Message == WM_SETFOCUS || Message == WM_KILLFOCUS) {
        return Invoke<Handler>(pWnd, WindowFromParam(wParam));
    } else if constexpr (Message == WM_ACTIVATE) {
        return Invoke<Handler>(pWnd, LOWORD(wParam),
                               WindowFromParam(static_cast<std::uintptr_t>(lParam)),
                               static_cast<BOOL>(HIWORD(wParam)));
    } else if constexpr (Message == WM_TIMER) {
        return Invoke<Handler>(pWnd, static_cast<UINT_PTR>(wParam));
    } else if constexpr (Message == WM_SETCURSOR) {
        return Invoke<Handler>(pWnd, WindowFromParam(wParam), LOWORD(static_cast<UINT_PTR>(lParam)),
                               HIWORD(static_cast<UINT_PTR>(lParam)));
    } else if constexpr (Message == WM_SIZE) {
        return Invoke<Handler>(pWnd, static_cast<UINT>(wParam),
                               static_cast<int>(LOWORD(static_cast<UINT_PTR>(lParam))),
                               static_cast<int>(HIWORD(static_cast<UINT_PTR>(lParam))));
    } else if constexpr (Message == WM_MOVE) {
        const CPoint pt = PointFromLParam(lParam);
        return Invoke<Handler>(pWnd, pt.x, pt.y);
    } else if constexpr (Message == WM_SHOWWINDOW) {
        return Invoke<Handler>(pWnd, static_cast<BOOL>(wParam),
                               static_cast<UINT>(static_cast<UINT_PTR>(lParam)));
    } else {
        return Invoke<Handler>(pWnd, wParam, lParam);
    }
}

// Commands take no arguments; a handler written for the raw parameters gets them.
template <auto Handler>
LRESULT CommandThunk(CWnd* pWnd, WPARAM wParam, LPARAM lParam) {
    using C = HandlerClass<Handler>;
    if constexpr (std::is_invocable_v<decltype(Handler), C*>)
        return Invoke<Handler>(pWnd);
    else
        return Invoke<Handler>(pWnd, wParam, lParam);
}

}  // namespace tessel::platform::detail

template <UINT Message, auto Handler>
constexpr MessageMapEntry MapMessage() {
    static_assert(Message != WM_COMMAND, "commands are mapped with MapCommand or MapNotify");
    return {Message, 0, 0, false, &tessel::platform::detail::MessageThunk<Message, Handler>};
}

template <UINT Id, auto Handler>
constexpr MessageMapEntry MapCommand() {
    return {WM_COMMAND, Id, 0, true, &tessel::platform::detail::CommandThunk<Handler>};
}

template <UINT Id, UINT Code, auto Handler>
constexpr MessageMapEntry MapNotify() {
    return {WM_COMMAND, Id, Code, false, &tessel::platform::detail::CommandThunk<Handler>};
}
