// The README quotes the programs' messages so that an operator can search
// the log for them.  Every quoted message must still be one the programs
// print: a reworded message in the code fails here until the README says
// it the new way.

#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kSource = ORV_SOURCE_DIR;
const char* const kProductDirs[] = {"foundation", "objectdb", "rules", "array",
                                    "controller", "records", "rcgate",   "rcwatch", "rcplan"};

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The string literals of a C++ source, unescaped, with adjacent literals
// (only blanks, line ends or comments between them) joined into one, as
// the compiler joins them.  Literals are separated by line feeds.
std::string literals(const std::string& code) {
  std::string out;
  bool joining = false;
  size_t i = 0;
  while (i < code.size()) {
    char c = code[i];
    if (c == '/' && i + 1 < code.size() && code[i + 1] == '/') {
      i = code.find('\n', i);
      if (i == std::string::npos) break;
      continue;
    }
    if (c == '\'') {  // character literal: skip, it may hold a quote
      i += (i + 1 < code.size() && code[i + 1] == '\\') ? 4 : 3;
      joining = false;
      continue;
    }
    if (c == '"') {
      if (!joining) out += '\n';
      ++i;
      while (i < code.size() && code[i] != '"') {
        if (code[i] == '\\' && i + 1 < code.size()) {
          char e = code[i + 1];
          out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
          i += 2;
        } else {
          out += code[i++];
        }
      }
      ++i;
      joining = true;
      continue;
    }
    if (c != ' ' && c != '\n' && c != '\t' && c != '\r') joining = false;
    ++i;
  }
  return out;
}

std::string productLiterals() {
  std::string all;
  for (const char* dir : kProductDirs) {
    const std::string path = kSource + "/" + dir;
    DIR* d = opendir(path.c_str());
    if (d == nullptr) continue;
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name.size() > 3 && name.compare(name.size() - 3, 3, ".cc") == 0)
        all += literals(readText(path + "/" + name));
    }
    closedir(d);
  }
  return all;
}

// Code-block lines of the README that quote a message: those starting
// with a severity word or one of the driver's own verdict lines.
std::vector<std::string> quotedMessages() {
  const char* const starts[] = {"Error:", "ERROR:", "Warning:", "INFO:", "Package is",
                                "Executing", "Replication will", "The ", "To start",
                                "Start the", "Orvanta has", "Please flush", "Unable to"};
  std::vector<std::string> out;
  std::istringstream in(readText(kSource + "/README.md"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 4, "    ") != 0) continue;
    const size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    std::string text = line.substr(first);
    bool quoted = false;
    for (const char* s : starts) quoted = quoted || text.compare(0, strlen(s), s) == 0;
    if (!quoted) continue;
    // Up to the first value filled in at run time or left out here.
    for (const char* cut : {"[", "...", " rcgora", " 90", " vexa", "\"0\"", "\"1\""}) {
      const size_t at = text.find(cut);
      if (at != std::string::npos) text.resize(at);
    }
    if (text.size() >= 10) out.push_back(text);
  }
  return out;
}

// The literal pieces of a printf format, split at its conversions.
std::vector<std::string> formatPieces(const std::string& format) {
  std::vector<std::string> pieces(1);
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      size_t j = i + 1;
      while (j < format.size() && (format[j] == 'l' || isdigit(static_cast<unsigned char>(format[j]))))
        ++j;
      if (j < format.size() && (format[j] == 's' || format[j] == 'd')) {
        pieces.emplace_back();
        i = j;
        continue;
      }
    }
    pieces.back() += format[i];
  }
  return pieces;
}

// Whether message (possibly cut short) is what format prints for some
// arguments, with the format's own text making up most of it: the pieces
// appear in order, the first at the start, the last possibly cut.
bool printedBy(const std::string& format, const std::string& message) {
  const std::vector<std::string> pieces = formatPieces(format);
  if (pieces.size() < 2 || pieces[0].empty()) return false;
  size_t at = 0;
  size_t literal = 0;
  for (size_t k = 0; k < pieces.size() && at < message.size(); ++k) {
    const std::string& piece = pieces[k];
    if (piece.empty()) continue;
    size_t found = k == 0 ? (message.compare(0, piece.size(), piece) == 0 ? 0 : std::string::npos)
                          : message.find(piece, at);
    if (found == std::string::npos) {
      // The message may end inside this piece.
      const std::string rest = message.substr(at);
      for (size_t start = 0; start < rest.size(); ++start) {
        if (piece.compare(0, rest.size() - start, rest, start, std::string::npos) == 0) {
          literal += rest.size() - start;
          at = message.size();
          break;
        }
      }
      if (at != message.size()) return false;
      break;
    }
    literal += piece.size();
    at = found + piece.size();
  }
  return at >= message.size() && literal * 3 >= message.size() * 2;
}

bool programsPrint(const std::string& corpus, const std::vector<std::string>& formats,
                   const std::string& message) {
  if (corpus.find(message) != std::string::npos) return true;
  for (const std::string& f : formats)
    if (printedBy(f, message)) return true;
  // The reports are logged as "INFO: %s" around a text built elsewhere.
  const std::string info = "INFO: ";
  return message.compare(0, info.size(), info) == 0 &&
         corpus.find("\nINFO: %s\n") != std::string::npos &&
         corpus.find(message.substr(info.size())) != std::string::npos;
}

TEST(Readme, QuotesOnlyMessagesTheProgramsPrint) {
  const std::string corpus = productLiterals();
  std::vector<std::string> formats;
  std::istringstream in(corpus);
  std::string literal;
  while (std::getline(in, literal))
    if (literal.find('%') != std::string::npos) formats.push_back(literal);
  const std::vector<std::string> messages = quotedMessages();
  EXPECT_GE(messages.size(), 20u);
  for (const std::string& m : messages)
    EXPECT_TRUE(programsPrint(corpus, formats, m)) << "README quotes an unknown message: " << m;
}

TEST(Readme, FormatsMatchWhatTheyPrint) {
  struct Case {
    const char* format;
    const char* message;
    bool printed;
  };
  const Case cases[] = {
      {"Executing %s operation on the Remote Copy volume group %s",
       "Executing \"start\" operation on the Remote Copy volume group", true},
      {"Value for timeout is [%d] ", "Value for timeout is ", true},
      {"INFO: %s", "INFO: Configuration for the Remote Copy volume group:", false},
      {"Executing %s operation on the Remote Copy volume group %s",
       "Executing \"start\" operation on the Remote Copy volume set", false},
      {"Error: %s failed", "Warning: x failed", false},
  };
  for (const Case& c : cases) EXPECT_EQ(printedBy(c.format, c.message), c.printed) << c.message;
}

TEST(Readme, LiteralsJoinAsTheCompilerJoinsThem) {
  struct Case {
    const char* code;
    const char* expected;
  };
  const Case cases[] = {
      {"log(\"a \" \"b\");", "\na b"},
      {"log(\"a \"  // note\n    \"b\");", "\na b"},
      {"x(\"a\", \"b\");", "\na\nb"},
      {"c = '\"'; s = \"q\\\"r\";", "\nq\"r"},
  };
  for (const Case& c : cases) EXPECT_EQ(literals(c.code), c.expected) << c.code;
}

}  // namespace
