// Text for a console: whole characters whatever the pieces it arrives in,
// and the clearing of the line's rest asked for with ESC [ K.
#include "cli/Console_writer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace velqoris::cli {
namespace {

// What the console got: text, and "|K|" for each clearing; every write kept.
struct Screen {
  std::u16string shown;
  std::vector<std::u16string> writes;
  Utf8Console console{[this](const std::u16string& t) {
                        shown += t;
                        writes.push_back(t);
                      },
                      [this] { shown += u"|K|"; }};
};

// 1-, 2-, 3- and 4-byte characters, a line end, a carriage return and the clearing.
const std::string kText = "ch0: 測定中 ±2µV 𝄞\n\r[##--] 12/40\x1b[K";
const std::u16string kShown = u"ch0: 測定中 ±2µV 𝄞\n\r[##--] 12/40|K|";

TEST(Utf8ConsoleTest, EveryWayOfCuttingTheTextShowsTheSameCharacters) {
  for (std::size_t cut = 0; cut <= kText.size(); ++cut) {
    Screen s;
    s.console.Write(std::string_view(kText).substr(0, cut));
    s.console.Write(std::string_view(kText).substr(cut));
    EXPECT_EQ(s.shown, kShown) << "cut at byte " << cut;
    EXPECT_EQ(s.console.Pending(), 0u);
  }
}

TEST(Utf8ConsoleTest, ByteByByteNoWriteHoldsHalfACharacter) {
  Screen s;
  for (const char c : kText) s.console.Write(std::string_view(&c, 1));
  EXPECT_EQ(s.shown, kShown);
  for (const std::u16string& w : s.writes) {
    EXPECT_EQ(w.find(u'\uFFFD'), std::u16string::npos);
    // A surrogate pair is never split between writes.
    const char16_t last = w.back();
    EXPECT_FALSE(last >= 0xD800 && last < 0xDC00);
  }
}

TEST(Utf8ConsoleTest, BytesThatBeginNoCharacterShowAsTheReplacementMark) {
  struct Case {
    std::string bytes;
    std::u16string shown;
  };
  const Case cases[] = {
      {"a\x80z", u"a\uFFFDz"},    // a stray continuation byte
      {"\xe6\xb8z", u"\uFFFDz"},  // a character cut short by another
      {"\x1b[2J", u"\x1b[2J"},    // other escapes pass as they are
      {"\xf0\x9d\x84\x9e", u"\U0001D11E"},
  };
  for (const Case& c : cases) {
    Screen s;
    s.console.Write(c.bytes);
    EXPECT_EQ(s.shown, c.shown) << c.bytes;
  }
}

TEST(ConsoleStreambufTest, TextReachesTheConsoleAtEachFlushWhole) {
  Screen s;
  ConsoleStreambuf buffer(s.console);
  std::ostream out(&buffer);
  out << "データ";
  EXPECT_TRUE(s.shown.empty());  // nothing before the flush
  out << "番号" << std::flush;
  EXPECT_EQ(s.shown, u"データ番号");
  ASSERT_EQ(s.writes.size(), 1u);
  out << "：5\n";
  out.flush();
  EXPECT_EQ(s.shown, u"データ番号：5\n");
}

}  // namespace
}  // namespace velqoris::cli
