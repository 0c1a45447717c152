#pragma once

#include <span>
#include <string>
#include <string_view>

// The help screen's topic tree and where each topic's page lives.
namespace help {

struct Topic {
    int level;              // 0 a root, 1 a chapter, 2 a sub-topic of the chapter above
    std::string_view text;  // the node's text, also the page's file name
};

// The nodes in tree order: the root "РУКОВОДСТВО", its chapters each followed
// by its sub-topics, then the second root, the web-address node. Texts are
// kept byte for byte, double blanks and quotation marks included.
std::span<const Topic> Topics();

inline constexpr std::string_view kWebTopic = "WWW.EXAMPLE.COM";

// A node whose text contains "WWW" names a web address, not a page.
bool IsWebTopic(std::string_view text);
// "https://" + the node text.
std::string WebAddress(std::string_view text);
// programFolder + "/help/" + text + ".mht".
std::string PagePath(const std::string& programFolder, std::string_view text);

}  // namespace help
