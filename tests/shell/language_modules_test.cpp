// The shipped language modules (apps/sample/lang): each one, loaded through
// the runtime's own loader, has the shape of the built-in catalogue: the
// same numbers, the same list structure, the same placeholders, the same
// commands and field types, and locale texts that fit its language.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "core/core.h"
#include "host/path.h"
#include "shell/env.h"
#include "shell/messages.h"

namespace tol {
namespace {

namespace fs = std::filesystem;

const fs::path kLangDir = fs::path(TOLVINA_SOURCE_DIR) / "apps/sample/lang";

std::string Ref(int n) {
  char b[8];
  std::snprintf(b, sizeof b, "%04d", n);
  return b;
}

// Printf conversions and %NAME% path references, in order.
std::string Placeholders(const std::string& t) {
  std::string out;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '%') continue;
    size_t j = i + 1;
    while (j < t.size() && (std::isupper(static_cast<unsigned char>(t[j])) || t[j] == '_')) ++j;
    if (j > i + 1 && j < t.size() && t[j] == '%') {
      out += t.substr(i, j - i + 1) + " ";
      i = j;
      continue;
    }
    j = i + 1;
    while (j < t.size() && std::strchr("-+ #0123456789.", t[j])) ++j;
    if (j < t.size() && std::isalpha(static_cast<unsigned char>(t[j]))) {
      out += t.substr(i, j - i + 1) + " ";
      i = j;
    }
  }
  return out;
}

// Splits at commas outside apostrophe quotes.
std::vector<std::string> Items(const std::string& t) {
  std::vector<std::string> out(1);
  bool q = false;
  for (char c : t) {
    if (c == '\'') q = !q;
    if (c == ',' && !q)
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

std::vector<std::string> Quoted(const std::string& t) {
  std::vector<std::string> out;
  for (size_t i = t.find('\''); i != std::string::npos; i = t.find('\'', i + 1)) {
    size_t j = t.find('\'', i + 1);
    if (j == std::string::npos) break;
    out.push_back(t.substr(i + 1, j - i - 1));
    i = j;
  }
  return out;
}

// What a translation must keep: list separators and colons outside quotes,
// for each quoted part its nesting tabs and item count, placeholders, line
// breaks, leading and trailing blanks, and no double quote.
std::string Shape(const std::string& t) {
  std::string s = Placeholders(t) + "|";
  if (!t.empty() && t.front() == ' ') s += "^_";
  for (size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    if (c == '\'') {
      size_t j = t.find('\'', i + 1);
      if (j == std::string::npos) return s + "<unclosed quote>";
      std::string q = t.substr(i + 1, j - i - 1);
      size_t tabs = q.find_first_not_of('\t');
      s += "Q" + std::to_string(tabs == std::string::npos ? q.size() : tabs) + "/" +
           std::to_string(Items(q).size());
      i = j;
    } else if (c == ',' || c == ':' || c == '"') {
      s += c;
    } else if (c == '\n') {
      s += "LF";
    }
  }
  if (!t.empty() && t.back() == ' ') s += "_$";
  return s;
}

// Parts that are commands, types or values rather than words: in menus every
// item after the caption of each quoted entry; in field lists everything but
// each field's label.
const std::set<int> kMenus = {110, 111, 119, 120};
const std::set<int> kFieldLists = {56, 91, 92, 93, 94, 95, 100, 113, 116, 118};

std::string FixedParts(int n, const std::string& t) {
  std::string out;
  if (kMenus.count(n)) {
    for (const std::string& q : Quoted(t)) {
      std::vector<std::string> items = Items(q);
      for (size_t k = 1; k < items.size(); ++k) out += items[k] + "|";
      out += ";";
    }
  } else if (kFieldLists.count(n)) {
    for (const std::string& item : Items(t)) {
      size_t close = item.size() > 1 && item[0] == '\'' ? item.find('\'', 1) : std::string::npos;
      out += (close == std::string::npos ? item : item.substr(close + 1)) + ";";
    }
  }
  return out;
}

struct Language {
  const char* code;
  char decimal;
  char yes;
  char no;
};
const Language kLanguages[] = {
    {"ES", ',', 'S', 'N'}, {"EN", '.', 'Y', 'N'}, {"FR", ',', 'O', 'N'},
    {"DE", ',', 'J', 'N'}, {"IT", ',', 'S', 'N'},
};

class LanguageModules : public ::testing::TestWithParam<Language> {
 protected:
  void SetUp() override {
    ASSERT_EQ(SetEnvValue(ENV_DOCPATH, StrRef::Of(host::RuntimePath(kLangDir.string()))), E_OK);
    ASSERT_EQ(SetEnvValue(ENV_LANGMODULE, StrRef::FromC(GetParam().code)), E_OK);
    path_ = kLangDir / ("OV_LANG_" + std::string(GetParam().code) + ".MSJ");
    std::ifstream in(path_, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(bytes_.empty()) << path_;
  }

  std::string Msg(int n) { return Message(StrRef::Of(Ref(n))).str(); }
  static std::string Builtin(int n) { return BuiltinMessage(StrRef::Of(Ref(n))).str(); }

  CoreScope core_;
  StateScope<MessageState> msgs_;
  fs::path path_;
  std::string bytes_;
};

TEST_P(LanguageModules, FileIsCp1252WithCrLfLines) {
  for (size_t i = 0; i < bytes_.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes_[i]);
    if (c == '\n') {
      ASSERT_TRUE(i > 0 && bytes_[i - 1] == '\r') << "bare LF at byte " << i;
    }
    if (c == '\r') {
      ASSERT_TRUE(i + 1 < bytes_.size() && bytes_[i + 1] == '\n') << "bare CR at byte " << i;
    }
    // Bytes code page 1252 leaves undefined, and the lead bytes of UTF-8
    // sequences for Latin letters and typographic marks.
    ASSERT_TRUE(c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) << i;
    if (i + 1 < bytes_.size()) {
      unsigned char d = static_cast<unsigned char>(bytes_[i + 1]);
      ASSERT_FALSE((c == 0xC3 || c == 0xC2 || c == 0xE2) && d >= 0x80 && d <= 0xBF)
          << "UTF-8 at byte " << i;
    }
  }
  ASSERT_EQ(bytes_.substr(bytes_.size() - 2), "\r\n");
}

TEST_P(LanguageModules, SameShapeAsTheBuiltinCatalogue) {
  std::set<int> builtin, file;
  for (int n = 1; n <= 9999; ++n)
    if (!Builtin(n).empty()) builtin.insert(n);
  for (size_t at = 0; at < bytes_.size();) {
    size_t end = bytes_.find("\r\n", at);
    std::string line = bytes_.substr(at, end - at);
    at = end + 2;
    if (line.size() >= 4 && std::all_of(line.begin(), line.begin() + 4, ::isdigit))
      file.insert(std::stoi(line.substr(0, 4)));
  }
  ASSERT_FALSE(file.empty());
  int first = *file.begin();
  std::set<int> window;
  for (int n : builtin)
    if (n >= first && n < first + kModuleNumbers) window.insert(n);
  EXPECT_EQ(file, window) << "a module holds the built-in numbers of its window, no others";

  for (int n : window) {
    std::string m = Msg(n), b = Builtin(n);
    // 0019 holds the decimal separator inside a quoted part; the locale test
    // checks it.
    if (n != 19) {
      EXPECT_EQ(Shape(m), Shape(b)) << GetParam().code << " " << n << ": " << m;
    }
    EXPECT_EQ(FixedParts(n, m), FixedParts(n, b)) << GetParam().code << " " << n << ": " << m;
    EXPECT_FALSE(m.empty()) << n;
  }
  EXPECT_EQ(msgs_->load, LANG_LOADED);
  // Numbers past the window still answer, from the built-in catalogue.
  for (int n : builtin)
    if (!window.count(n)) {
      EXPECT_EQ(Msg(n), Builtin(n)) << n;
    }
}

TEST_P(LanguageModules, LocaleTextsFitTheLanguage) {
  const Language& lang = GetParam();
  auto lower = [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  std::string answers = {lang.yes, lower(lang.yes), ',', lang.no, lower(lang.no)};
  EXPECT_EQ(Msg(11), answers);

  std::string num = Msg(19);
  ASSERT_GE(num.size(), 2u);
  EXPECT_EQ(num[0], lang.decimal);
  EXPECT_NE(num[1], num[0]);
  std::vector<std::string> q = Quoted(num.substr(2));
  ASSERT_EQ(q.size(), 3u) << num;
  EXPECT_EQ(q[0], std::string("0123456789") + lang.decimal + "-D");
  std::string letters = {' ', lang.no, lang.yes};
  EXPECT_EQ(q[1], letters);
  std::vector<std::string> words = Items(q[2]);
  ASSERT_EQ(words.size(), 3u) << num;
  EXPECT_EQ(words[0], "  ");
  EXPECT_EQ(words[1].substr(0, 1), std::string{lang.no});
  EXPECT_EQ(words[2].substr(0, 1), std::string{lang.yes});

  std::string dates = Msg(117);
  q = Quoted(dates);
  ASSERT_EQ(q.size(), 2u) << dates;
  std::vector<std::string> months = Items(q[0]);
  EXPECT_EQ(std::set<std::string>(months.begin(), months.end()).size(), 12u) << dates;
  for (const char* part : {"[D]", "[M]", "[Y]"}) {
    size_t at = q[1].find(part);
    EXPECT_NE(at, std::string::npos) << q[1];
    EXPECT_EQ(q[1].find(part, at + 1), std::string::npos) << q[1];
  }

  std::string remember = {'(', lang.yes, '/', lang.no, ')'};
  EXPECT_NE(Msg(91).find(remember), std::string::npos) << Msg(91);
}

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageModules, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.code); });

// The Spanish module repeats the built-in catalogue; its one line break is
// written CR LF where the built-in text has LF CR.
TEST(SpanishModule, EqualsTheBuiltinCatalogue) {
  CoreScope core;
  StateScope<MessageState> msgs;
  ASSERT_EQ(SetEnvValue(ENV_DOCPATH, StrRef::Of(host::RuntimePath(kLangDir.string()))), E_OK);
  ASSERT_EQ(SetEnvValue(ENV_LANGMODULE, "ES"), E_OK);
  for (int n = 1; n <= 256; ++n) {
    std::string b = BuiltinMessage(StrRef::Of(Ref(n))).str();
    for (size_t at = b.find("\n\r"); at != std::string::npos; at = b.find("\n\r", at + 2))
      b.replace(at, 2, "\r\n");
    EXPECT_EQ(Message(StrRef::Of(Ref(n))).str(), b) << n;
  }
  EXPECT_EQ(msgs->load, LANG_LOADED);
}

}  // namespace
}  // namespace tol
