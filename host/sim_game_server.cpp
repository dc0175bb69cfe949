#include "host/sim_game_server.h"

#include <utility>

namespace orvane::host {
namespace {

constexpr std::u16string_view kBlanks = u" \t";

std::u16string_view trim(std::u16string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::u16string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The first word of text, and text is left holding the rest, trimmed.
std::u16string_view nextWord(std::u16string_view& text) {
    const std::size_t end = std::min(text.find_first_of(kBlanks), text.size());
    const std::u16string_view word = text.substr(0, end);
    text = trim(text.substr(end));
    return word;
}

// Quoted so that the tab's reply reader gives back exactly text.
std::u16string quoted(std::u16string_view text) {
    std::u16string out = u"\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\') out += u'\\';
        out += c;
    }
    return out + u"\"";
}

char16_t lowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

bool endsWithExtension(std::u16string_view name, std::u16string_view extension) {
    if (extension.starts_with(u'.')) extension.remove_prefix(1);
    if (name.size() <= extension.size() || name[name.size() - extension.size() - 1] != u'.')
        return false;
    name = name.substr(name.size() - extension.size());
    for (std::size_t i = 0; i < name.size(); ++i)
        if (lowerAscii(name[i]) != lowerAscii(extension[i])) return false;
    return true;
}

// The game type whose rule files directory holds, or "" for any other directory.
std::u16string_view ruleSetOf(std::u16string_view directory) {
    while (directory.starts_with(u'/')) directory.remove_prefix(1);
    while (directory.ends_with(u'/')) directory.remove_suffix(1);
    for (std::u16string_view root : {u"maps/pam/rules/", u"pam/rules/"}) {
        if (!directory.starts_with(root)) continue;
        const std::u16string_view rest = directory.substr(std::u16string_view(root).size());
        return rest.find(u'/') == std::u16string_view::npos ? rest : std::u16string_view();
    }
    return {};
}

}  // namespace

SimGameServer::SimGameServer(GameServerSetup setup)
    : setup_(std::move(setup)), pamMode_(setup_.pamMode) {}

RconAnswer SimGameServer::execute(std::u16string_view command) {
    std::u16string_view rest = trim(command);
    const std::u16string_view name = nextWord(rest);
    if (name == u"dir") {
        const std::u16string_view directory = nextWord(rest);
        return listDirectory(directory, nextWord(rest));
    }
    if (name == u"pam_mode") {
        if (rest.size() >= 2 && rest.front() == u'"' && rest.back() == u'"')
            rest = rest.substr(1, rest.size() - 2);
        if (rest.empty()) {
            return {true,
                    u"\"pam_mode\" is: " + quoted(pamMode_) + u" default: " +
                        quoted(setup_.pamMode) + u"\nthe rule set the PAM mod plays by\n",
                    {}};
        }
        if (rest == pamMode_) return {false, {}, u"pam_mode is already " + quoted(pamMode_)};
        pamMode_ = rest;
        return {
            true, u"g_gametype " + quoted(setup_.gameType) + u" changed, map is restarting\n", {}};
    }
    if (name == u"fast_restart")
        return {false, {}, u"map restarted with pam_mode " + quoted(pamMode_)};
    return {true, u"Unknown command " + quoted(name) + u"\n", {}};
}

RconAnswer SimGameServer::listDirectory(std::u16string_view directory,
                                        std::u16string_view extension) const {
    RconAnswer answer{true, u"Directory of " + std::u16string(directory), {}};
    if (!extension.empty()) answer.reply += u" " + std::u16string(extension);
    answer.reply += u"\n---------------\n";
    const std::u16string_view ruleSet = ruleSetOf(directory);
    const auto files = setup_.ruleFiles.find(std::u16string(ruleSet));
    if (ruleSet.empty() || files == setup_.ruleFiles.end()) return answer;
    for (const std::u16string& file : files->second)
        if (extension.empty() || endsWithExtension(file, extension)) answer.reply += file + u"\n";
    return answer;
}

}  // namespace orvane::host
