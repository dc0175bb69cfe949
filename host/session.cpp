#include "host/session.h"

#include <string_view>

#include "config/config_parser.h"
#include "plugin/interfaces.h"
#include "value/text.h"

namespace orvane::host {
namespace {

using platform::sim::SimDesktop;
using platform::sim::SimMessenger;

struct KnownEvent {
    std::u16string_view name;
    std::uint32_t code;
};

constexpr KnownEvent kEvents[] = {
    {u"AppInit", plugin::AppInit},
    {u"AppDeInit", plugin::AppDeInit},
    {u"CreateTabs", plugin::CreateTabs},
    {u"GameConnect", plugin::GameConnect},
    {u"GameDisconnect", plugin::GameDisconnect},
    {u"ServerChanged", plugin::ServerChanged},
    {u"PlayersChanged", plugin::PlayersChanged},
    {u"RconResponse", plugin::RconResponse},
};

using Starter = std::unique_ptr<SimMessenger> (*)(SimDesktop&, std::uint32_t);

struct KnownMessenger {
    std::u16string_view name;
    Starter start;
};

template <class Messenger>
std::unique_ptr<SimMessenger> start(SimDesktop& desktop, std::uint32_t processId) {
    return std::make_unique<Messenger>(desktop, processId);
}

std::unique_ptr<SimMessenger> startTrillian(SimDesktop& desktop, std::uint32_t processId) {
    return std::make_unique<platform::sim::SimTrillian>(
        desktop, processId, platform::sim::SimTrillian::Kind::ContactList);
}

// Keyed by the back-ends' names, so a script reads like the settings file.
constexpr KnownMessenger kMessengers[] = {
    {u"ICQ2003", start<platform::sim::SimIcq2003>},
    {u"Miranda", start<platform::sim::SimMiranda>},
    {u"QIP", start<platform::sim::SimQip>},
    {u"MSN7", start<platform::sim::SimMsn7>},
    {u"AIM", start<platform::sim::SimAim>},
    {u"Trillian", startTrillian},
};

std::u16string joinNames(const auto& table) {
    std::u16string out;
    for (const auto& row : table) out += (out.empty() ? u"" : u", ") + std::u16string(row.name);
    return out;
}

class Checker {
public:
    explicit Checker(std::u16string& error, const std::string& path)
        : error_(error), path_(widen(path)) {}

    bool fail(std::u16string_view where, std::u16string_view what) {
        error_ = format(u"%ls: %ls: %ls", path_, where, what);
        return false;
    }

    // A Vector of strings, each checked by accept; an absent key is an empty list unless required.
    template <class Accept>
    bool names(const Value& root, const char* key, bool required, Accept accept) {
        const std::u16string where = format(u"['%s']", key);
        const Value& list = root.findByName(key);
        if (list.kind() == ValueKind::Undef) return !required || fail(where, u"missing");
        if (!list.isVector()) return fail(where, u"must be vector('...', ...)");
        for (std::uint32_t i = 0; i < list.size(); ++i) {
            const std::u16string at = format(u"%ls[%u]", where, i);
            if (!list.at(i).isString()) return fail(at, u"must be a name in quotes");
            if (!accept(at, list.at(i).toWideString())) return false;
        }
        return true;
    }

private:
    std::u16string& error_;
    std::u16string path_;
};

bool check(const Value& root, Session& session, Checker& checker) {
    if (root.kind() != ValueKind::Hash) return checker.fail(u"[]", u"must hold ['events'] = vector(...)");
    const Value keys = root.keys(true);
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        const std::u16string key = keys.at(i).toWideString();
        if (key != u"messengers" && key != u"server" && key != u"events" && key != u"reply" &&
            key != u"players")
            return checker.fail(u"['" + key + u"']",
                                u"unknown key (known: messengers, server, events, reply, players)");
    }
    const bool messengersOk = checker.names(
        root, "messengers", false, [&](const std::u16string& at, const std::u16string& name) {
            for (const KnownMessenger& m : kMessengers) {
                if (m.name != name) continue;
                for (const std::u16string& seen : session.messengers)
                    if (seen == name) return checker.fail(at, u"'" + name + u"' is listed twice");
                session.messengers.push_back(name);
                return true;
            }
            return checker.fail(at, u"unknown messenger '" + name + u"' (known: " +
                                        joinNames(kMessengers) + u")");
        });
    if (!messengersOk) return false;
    const bool eventsOk = checker.names(
        root, "events", true, [&](const std::u16string& at, const std::u16string& name) {
            for (const KnownEvent& e : kEvents) {
                if (e.name != name) continue;
                session.events.push_back({name, e.code});
                return true;
            }
            return checker.fail(at, u"unknown event '" + name + u"' (known: " +
                                        joinNames(kEvents) + u")");
        });
    if (!eventsOk) return false;

    const Value& server = root.findByName("server");
    if (server.kind() != ValueKind::Undef && server.kind() != ValueKind::Hash)
        return checker.fail(u"['server']", u"must be a block { ... } of server information");
    session.server = server;
    const Value& reply = root.findByName("reply");
    if (reply.kind() != ValueKind::Undef && !reply.isString())
        return checker.fail(u"['reply']", u"must be a text in quotes");
    session.reply = reply.kind() == ValueKind::Undef ? std::u16string() : reply.toWideString();
    session.players.entry(Value("Players")) = root.findByName("players");
    return true;
}

}  // namespace

bool loadSession(const std::string& path, Session& session, std::u16string& error) {
    config::ConfigParser parser;
    if (!parser.loadFile(std::string_view(path), Value(), false)) {
        // "Cannot open file" already names the file; the located messages do not.
        const std::u16string named = widen(path) + u":";
        error = parser.error.starts_with(named) ? parser.error : named + u" " + parser.error;
        return false;
    }
    Checker checker(error, path);
    session = Session();
    return check(parser.variables, session, checker);
}

std::unique_ptr<SimMessenger> startMessenger(std::u16string_view name, SimDesktop& desktop,
                                             std::uint32_t processId) {
    for (const KnownMessenger& m : kMessengers)
        if (m.name == name) return m.start(desktop, processId);
    return nullptr;
}

}  // namespace orvane::host
