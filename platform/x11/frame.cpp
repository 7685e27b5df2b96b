#include "platform/x11/frame.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>
#include <thread>
#include <xcb/xcb.h>

namespace platform::x11 {
namespace {

// How long a window manager that says it answers may take, on a busy machine.
constexpr auto kAnswerTime = std::chrono::milliseconds(250);
constexpr auto kRetryAfter = std::chrono::microseconds(500);

template <class Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply> Owned<Reply> own(Reply* reply)
{
    return {reply, &std::free};
}

enum Atom { Supported, SupportingCheck, RequestExtents, Extents, AtomCount };

std::array<xcb_atom_t, AtomCount> internAtoms(xcb_connection_t* connection)
{
    constexpr std::array<std::string_view, AtomCount> names = {
        "_NET_SUPPORTED", "_NET_SUPPORTING_WM_CHECK", "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS"};
    std::array<xcb_intern_atom_cookie_t, AtomCount> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i)
        cookies[i] =
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(names[i].size()), names[i].data());
    std::array<xcb_atom_t, AtomCount> atoms{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (auto reply = own(xcb_intern_atom_reply(connection, cookies[i], nullptr)))
            atoms[i] = reply->atom;
    }
    return atoms;
}

Owned<xcb_get_property_reply_t> property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name,
                                         xcb_atom_t type, std::uint32_t length)
{
    return own(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, length), nullptr));
}

// The values of a property of 32-bit items, empty when it has none of that kind.
template <class Item> std::span<const Item> items(const xcb_get_property_reply_t* reply, xcb_atom_t type)
{
    if (!reply || reply->type != type || reply->format != 32)
        return {};
    return {static_cast<const Item*>(xcb_get_property_value(reply)),
            static_cast<std::size_t>(xcb_get_property_value_length(reply)) / sizeof(Item)};
}

// A window manager runs (its check window names itself) and says it answers the request.
bool answersRequests(xcb_connection_t* connection, xcb_window_t root,
                     const std::array<xcb_atom_t, AtomCount>& atoms)
{
    const auto check = property(connection, root, atoms[SupportingCheck], XCB_ATOM_WINDOW, 1);
    const auto checkWindow = items<xcb_window_t>(check.get(), XCB_ATOM_WINDOW);
    if (checkWindow.empty())
        return false;
    const auto itself = property(connection, checkWindow[0], atoms[SupportingCheck], XCB_ATOM_WINDOW, 1);
    const auto named = items<xcb_window_t>(itself.get(), XCB_ATOM_WINDOW);
    if (named.empty() || named[0] != checkWindow[0])
        return false;
    const auto supported = property(connection, root, atoms[Supported], XCB_ATOM_ATOM, 4096);
    const auto atomsSupported = items<xcb_atom_t>(supported.get(), XCB_ATOM_ATOM);
    return std::ranges::find(atomsSupported, atoms[RequestExtents]) != atomsSupported.end();
}

std::optional<FrameExtents> announced(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t extents)
{
    const auto reply = property(connection, window, extents, XCB_ATOM_CARDINAL, 4);
    const auto values = items<std::uint32_t>(reply.get(), XCB_ATOM_CARDINAL);
    if (values.size() != 4)
        return std::nullopt;
    // In the order left, right, top, bottom.
    return FrameExtents{static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[2]),
                        static_cast<int>(values[3])};
}

} // namespace

std::optional<FrameExtents> requestFrameExtents(xcb_connection_t* connection, std::uint32_t window)
{
    if (!connection || xcb_connection_has_error(connection))
        return std::nullopt;
    const auto tree = own(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!tree)
        return std::nullopt;
    const auto atoms = internAtoms(connection);
    if (!answersRequests(connection, tree->root, atoms))
        return std::nullopt;
    if (auto known = announced(connection, window, atoms[Extents]))
        return known;

    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = window;
    request.type = atoms[RequestExtents];
    xcb_send_event(connection, 0, tree->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(connection);
    // The answer is a property set on the window; the toolkit reads the connection's events, so
    // the property is asked for until it is there.
    const auto deadline = std::chrono::steady_clock::now() + kAnswerTime;
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto extents = announced(connection, window, atoms[Extents]))
            return extents;
        std::this_thread::sleep_for(kRetryAfter);
    }
    return std::nullopt;
}

} // namespace platform::x11
