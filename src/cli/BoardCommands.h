#pragma once
// quillon-cli boards, caption and shotlist: the storyboard of the show's caption entries printed
// to a PDF as the Print dialog prints it, the entries edited as the dialog edits them, and a
// shot list of the entries as CSV.

#include <string>
#include <vector>

namespace quillon {
class Profile;
}

namespace quillon::cli {

int CmdBoards(std::vector<std::string> words, Profile& profile);
int CmdCaption(std::vector<std::string> words, Profile& profile);
int CmdShotlist(std::vector<std::string> words, Profile& profile);

}  // namespace quillon::cli
