// A Call of Duty server running the PAM mod, as far as its remote console shows it: directory
// listings of the mod's rule files, the pam_mode variable and the restart it leads to.
//
// Answers, by command:
//   dir <directory> [<extension>]  "Directory of <directory> [<extension>]", a ruler line, then one
//                                  file name per line: the rule files of the game type the
//                                  directory names (maps/pam/rules/<type> or /pam/rules/<type>),
//                                  only those ending in .<extension> when one is given. Any other
//                                  directory lists no file.
//   pam_mode                       two lines, the first "\"pam_mode\" is: \"<value>\" default:
//                                  \"<default>\"" with the texts quoted as the reply reader
//                                  unquotes.
//   pam_mode <value>               sets the variable. A new value waits for a restart, which the
//                                  server announces in one line of six words, "g_gametype
//                                  \"<type>\" changed, map is restarting"; the same value again
//                                  gives no reply.
//   fast_restart                   no reply; the note says the map restarted.
//   anything else                  "Unknown command \"<word>\"".
// Invariant: the answer depends only on the command and the variable's current value; the server
// never talks unasked.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/remote_console.h"

namespace orvane::host {

struct GameServerSetup {
    std::u16string gameType = u"sd";  // g_gametype, named when the server announces a restart
    std::u16string pamMode = u"pub";  // the variable at start, which is also its default
    // Rule file names per game type ("all" for the shared ones), listed in this order.
    std::map<std::u16string, std::vector<std::u16string>> ruleFiles;
};

class SimGameServer final : public RemoteConsole {
public:
    explicit SimGameServer(GameServerSetup setup);

    RconAnswer execute(std::u16string_view command) override;
    const std::u16string& pamMode() const { return pamMode_; }

private:
    RconAnswer listDirectory(std::u16string_view directory, std::u16string_view extension) const;

    GameServerSetup setup_;
    std::u16string pamMode_;
};

}  // namespace orvane::host
