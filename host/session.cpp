#include "host/session.h"

#include <algorithm>
#include <span>
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
    // located already reads "<where>: <what>".
    bool fail(std::u16string_view located) {
        error_ = format(u"%ls: %ls", path_, located);
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

constexpr std::u16string_view kTopKeys[] = {u"messengers", u"server", u"events", u"reply",
                                            u"players", u"gameserver", u"rcon"};

bool known(std::u16string_view key, std::span<const std::u16string_view> keys) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

std::u16string joinKeys(std::span<const std::u16string_view> keys) {
    std::u16string out;
    for (std::u16string_view key : keys) out += (out.empty() ? u"" : u", ") + std::u16string(key);
    return out;
}

// A block whose keys all come from keys.
bool block(const Value& value, const std::u16string& where,
           std::span<const std::u16string_view> keys, Checker& checker) {
    if (value.kind() != ValueKind::Hash) return checker.fail(where, u"must be a block { ... }");
    const Value names = value.keys(true);
    for (std::uint32_t i = 0; i < names.size(); ++i) {
        const std::u16string key = names.at(i).toWideString();
        if (!known(key, keys))
            return checker.fail(where + u"['" + key + u"']",
                                u"unknown key (known: " + joinKeys(keys) + u")");
    }
    return true;
}

bool steps(const Value& root, Session& session, Checker& checker) {
    const Value& list = root.findByName("events");
    if (list.kind() == ValueKind::Undef) return checker.fail(u"['events']", u"missing");
    if (!list.isVector()) return checker.fail(u"['events']", u"must be vector('...', ...)");
    for (std::uint32_t i = 0; i < list.size(); ++i) {
        SessionStep step;
        step.where = format(u"['events'][%u]", i);
        const Value& item = list.at(i);
        if (item.isString()) {
            step.name = item.toWideString();
            const KnownEvent* event = nullptr;
            for (const KnownEvent& e : kEvents)
                if (e.name == step.name) event = &e;
            if (!event)
                return checker.fail(step.where, u"unknown event '" + step.name + u"' (known: " +
                                                    joinNames(kEvents) + u")");
            step.code = event->code;
        } else {
            if (item.kind() != ValueKind::Hash || item.size() != 1)
                return checker.fail(step.where, u"must be an event name in quotes, or "
                                                u"{ ['settings'] = vector(...); } or "
                                                u"{ ['tab'] = vector(...); }");
            step.name = item.keys(true).at(0).toWideString();
            if (step.name != u"settings" && step.name != u"tab")
                return checker.fail(step.where + u"['" + step.name + u"']",
                                    u"unknown step (known: settings, tab)");
            const bool settings = step.name == u"settings";
            step.kind = settings ? SessionStep::Kind::Settings : SessionStep::Kind::RconTab;
            std::u16string error;
            if (!parseActs(item.find(Value(step.name)),
                           settings ? DialogKind::Settings : DialogKind::RconTab,
                           step.where + u"['" + step.name + u"']", step.acts, error))
                return checker.fail(error);
        }
        session.steps.push_back(std::move(step));
    }
    return true;
}

bool text(const Value& value, const std::u16string& where, std::u16string& out, Checker& checker) {
    if (!value.isString()) return checker.fail(where, u"must be a text in quotes");
    out = value.toWideString();
    return true;
}

bool gameServer(const Value& root, Session& session, Checker& checker) {
    const Value& value = root.findByName("gameserver");
    if (value.kind() == ValueKind::Undef) return true;
    constexpr std::u16string_view keys[] = {u"pam_mode", u"rules"};
    if (!block(value, u"['gameserver']", keys, checker)) return false;
    GameServerSetup setup;
    const Value& type = session.server.findByName("Rules").findByName("g_gametype");
    if (type.isString()) setup.gameType = type.toWideString();
    if (value.existsByName("pam_mode", false) &&
        !text(value.findByName("pam_mode"), u"['gameserver']['pam_mode']", setup.pamMode, checker))
        return false;
    const Value& rules = value.findByName("rules");
    if (rules.kind() != ValueKind::Undef && rules.kind() != ValueKind::Hash)
        return checker.fail(u"['gameserver']['rules']",
                            u"must be a block { ['<g_gametype>'] = vector('<file>', ...); }");
    const Value types = rules.keys(true);
    for (std::uint32_t i = 0; i < types.size(); ++i) {
        const std::u16string type = types.at(i).toWideString();
        const std::u16string where = u"['gameserver']['rules']['" + type + u"']";
        std::vector<std::u16string>& files = setup.ruleFiles[type];
        const Value& list = rules.find(types.at(i));
        if (!list.isVector()) return checker.fail(where, u"must be vector('<file>', ...)");
        for (std::uint32_t f = 0; f < list.size(); ++f)
            if (!text(list.at(f), format(u"%ls[%u]", where, f), files.emplace_back(), checker))
                return false;
    }
    session.gameServer = std::move(setup);
    return true;
}

bool rcon(const Value& root, Session& session, Checker& checker) {
    const Value& value = root.findByName("rcon");
    if (value.kind() == ValueKind::Undef) return true;
    if (session.gameServer)
        return checker.fail(u"['rcon']", u"a session has ['gameserver'] or ['rcon'], not both");
    constexpr std::u16string_view keys[] = {u"address", u"password", u"timeout"};
    if (!block(value, u"['rcon']", keys, checker)) return false;
    RconSetup setup;
    std::u16string address, password;
    if (!text(value.findByName("address"), u"['rcon']['address']", address, checker) ||
        !text(value.findByName("password"), u"['rcon']['password']", password, checker))
        return false;
    setup.address = narrow(address);
    setup.password = narrow(password);
    if (value.existsByName("timeout", false)) {
        const Value& timeout = value.findByName("timeout");
        // Long enough for a server across the world, short enough that a dead one is noticed.
        if (!timeout.isInteger() || timeout.toInteger() < 1 || timeout.toInteger() > 60000)
            return checker.fail(u"['rcon']['timeout']", u"must be milliseconds from 1 to 60000");
        setup.timeout = std::chrono::milliseconds(timeout.toInteger());
    }
    session.rcon = std::move(setup);
    return true;
}

bool check(const Value& root, Session& session, Checker& checker) {
    if (root.kind() != ValueKind::Hash)
        return checker.fail(u"[]", u"must hold ['events'] = vector(...)");
    const Value keys = root.keys(true);
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        const std::u16string key = keys.at(i).toWideString();
        if (!known(key, kTopKeys))
            return checker.fail(u"['" + key + u"']",
                                u"unknown key (known: " + joinKeys(kTopKeys) + u")");
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
    if (!messengersOk || !steps(root, session, checker)) return false;

    const Value& server = root.findByName("server");
    if (server.kind() != ValueKind::Undef && server.kind() != ValueKind::Hash)
        return checker.fail(u"['server']", u"must be a block { ... } of server information");
    session.server = server;
    const Value& reply = root.findByName("reply");
    if (reply.kind() != ValueKind::Undef && !reply.isString())
        return checker.fail(u"['reply']", u"must be a text in quotes");
    session.reply = reply.kind() == ValueKind::Undef ? std::u16string() : reply.toWideString();
    session.players.entry(Value("Players")) = root.findByName("players");
    return gameServer(root, session, checker) && rcon(root, session, checker);
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
    session.path = widen(path);
    return check(parser.variables, session, checker);
}

std::unique_ptr<SimMessenger> startMessenger(std::u16string_view name, SimDesktop& desktop,
                                             std::uint32_t processId) {
    for (const KnownMessenger& m : kMessengers)
        if (m.name == name) return m.start(desktop, processId);
    return nullptr;
}

}  // namespace orvane::host
