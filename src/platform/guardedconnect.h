// The one way a handler is connected: behind the error boundary. An error that the
// handler raises is shown in the standard error box and the program goes on; the
// handler itself never catches for that.
//
//     connectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
//     connectGuarded(Btn_read, &QPushButton::clicked, this, &TForm_read::Btn_readClick);
//     QTimer::singleShot(0, this, guardedHandler([this] { FormShow(); }));
//
// A handler takes the first arguments of its signal that it needs, none of them too.
#pragma once

#include <cstddef>
#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>

#include <QObject>

#include "platform/errors.h"

namespace guardeddetail {

template <class H, class Tuple, std::size_t... I>
constexpr bool invocableWith(std::index_sequence<I...>)
{
    return std::is_invocable_v<H&, std::tuple_element_t<I, Tuple>...>;
}

template <class H, class Tuple, std::size_t... I>
void invokeWith(H& h, Tuple& args, std::index_sequence<I...>)
{
    std::invoke(h, std::get<I>(args)...);
}

// Calls h with the longest prefix of args it accepts.
template <std::size_t N, class H, class Tuple>
void invokePrefix(H& h, Tuple& args)
{
    if constexpr (invocableWith<H, Tuple>(std::make_index_sequence<N>{})) {
        invokeWith(h, args, std::make_index_sequence<N>{});
    } else {
        static_assert(N > 0, "the handler cannot be called with the signal's arguments");
        if constexpr (N > 0) invokePrefix<N - 1>(h, args);
    }
}

template <class Receiver, class C, class R, class... P>
auto bindMember(Receiver* receiver, R (C::*method)(P...))
{
    return [receiver, method](P... p) { (receiver->*method)(std::forward<P>(p)...); };
}

}  // namespace guardeddetail

// The handler wrapped in the error boundary, for a connection or a timer.
template <class Handler>
auto guardedHandler(Handler handler)
{
    return [handler = std::move(handler)](auto&&... args) mutable -> void {
        auto tuple = std::forward_as_tuple(std::forward<decltype(args)>(args)...);
        guarded([&] { guardeddetail::invokePrefix<sizeof...(args)>(handler, tuple); });
    };
}

// Connects signal of sender to handler (a callable, or a member function of receiver)
// behind the error boundary; the connection ends with receiver.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection connectGuarded(const Sender* sender, Signal signal, Receiver* receiver, Handler handler,
                                       Qt::ConnectionType type = Qt::AutoConnection)
{
    if constexpr (std::is_member_function_pointer_v<Handler>)
        return QObject::connect(sender, signal, receiver, guardedHandler(guardeddetail::bindMember(receiver, handler)),
                                type);
    else
        return QObject::connect(sender, signal, receiver, guardedHandler(std::move(handler)), type);
}
