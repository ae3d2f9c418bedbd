// orv-ocf-agent TEMPLATE OUTPUT BINDIR VERSION: writes the resource agent
// from its template, with the meta-data and the parameter-to-attribute map
// built from the object catalogue, so the catalogue stays the only list of
// the package's settings.  Runs at build time only.

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "objectdb/catalogue.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"

namespace {

// The margin on top of the longest waits of a start.
const int kMarginSeconds = 300;

std::string xml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// The default a package gets when it leaves the setting out: the
// catalogue's, where the object accepts it.
std::string defaultText(OrvObjectDb& db, const OrvAttributeHelp& help) {
  OrvObject* object = nullptr;
  if (help.required || !db.getObjectByName(help.name, object, 0)) return "";
  if (object->getValue() == nullptr) return "";
  if (object->getType() == INTEGER_TYPE) {
    int n = 0;
    db.getIntValByName(help.name, n);
    return std::to_string(n);
  }
  return object->getType() == STRING_TYPE ? object->getStrValue().getValue() : "";
}

void parameter(std::ostream& out, const char* name, bool required, bool unique,
               const std::string& shortText, const std::string& longText, const char* type,
               const std::string& value) {
  out << "<parameter name=\"" << name << "\" required=\"" << (required ? 1 : 0)
      << "\" unique=\"" << (unique ? 1 : 0) << "\">\n"
      << "<longdesc lang=\"en\">" << xml(longText) << "</longdesc>\n"
      << "<shortdesc lang=\"en\">" << xml(shortText) << "</shortdesc>\n"
      << "<content type=\"" << type << "\"";
  if (!value.empty()) out << " default=\"" << xml(value) << "\"";
  out << "/>\n</parameter>\n";
}

int startTimeout(OrvObjectDb& db) {
  int minutes = 0;
  db.getIntValByName("RESYNC_WAIT_TIMEOUT", minutes);
  // The longest a failover waits for the array after a link failure.
  const int linkDownWait = OrvCatalogue::accepted("PERIODIC_ASYNC_LINK_DOWN_TIMEOUT").max;
  return minutes * 60 + linkDownWait + kMarginSeconds;
}

std::string metaData(const std::string& version) {
  OrvObjectDb db;
  std::ostringstream out;
  out << "<?xml version=\"1.0\"?>\n"
         "<!DOCTYPE resource-agent SYSTEM \"ra-api-1.dtd\">\n"
         "<resource-agent name=\"rcgate\" version=\""
      << version
      << "\">\n<version>1.0</version>\n"
         "<longdesc lang=\"en\">Start-up gate of a package whose data is replicated between "
         "the arrays of two sites. Placed in a group before the application's file systems, "
         "its start runs rcgate: it decides whether this node may run the package and "
         "prepares the Remote Copy volume group for it (reverse, failover, restore), or "
         "refuses. A refusal on every node (OCF_ERR_CONFIGURED) waits for an operator: create "
         "the FORCEFLAG file in force_flag_dir if a start on data that may not be current is "
         "meant, then clean the resource up. Its monitor only reads the arrays.</longdesc>\n"
         "<shortdesc lang=\"en\">Remote Copy start-up gate of a two-site package</shortdesc>\n"
         "<parameters>\n";
  parameter(out, "package", true, true, "Package name",
            "Name of the package (letters, digits, . _ -): it names the decision records.",
            "string", "");
  for (int i = 0; i < OrvCatalogue::kAttributes; ++i) {
    const OrvAttributeHelp& help = OrvCatalogue::attribute(i);
    const OrvCatalogueRow* row = OrvCatalogue::find(help.name);
    const char* type = row != nullptr && row->type == INTEGER_TYPE ? "integer" : "string";
    parameter(out, help.parameter, help.required, false, help.shortText,
              OrvCatalogue::longText(help), type, defaultText(db, help));
  }
  out << "</parameters>\n<actions>\n"
      << "<action name=\"start\" timeout=\"" << startTimeout(db) << "s\"/>\n"
      << "<action name=\"stop\" timeout=\"20s\"/>\n"
         "<action name=\"monitor\" timeout=\"120s\" interval=\"60s\" depth=\"0\"/>\n"
         "<action name=\"validate-all\" timeout=\"120s\"/>\n"
         "<action name=\"meta-data\" timeout=\"5s\"/>\n"
         "</actions>\n</resource-agent>";
  return out.str();
}

// "parameter ATTRIBUTE REQUIRED(1|0)" per line, as the agent writes and
// checks the attribute lines.
std::string parameterMap() {
  std::string out;
  for (int i = 0; i < OrvCatalogue::kAttributes; ++i) {
    const OrvAttributeHelp& help = OrvCatalogue::attribute(i);
    const std::string name = help.name;
    if (!out.empty()) out += "\n";
    out += std::string(help.parameter) + " " +
           (name.compare(0, 4, "VKR_") == 0 ? name : "RCVEXA_" + name) +
           (help.required ? " 1" : " 0");
  }
  return out;
}

void replaceAll(std::string& text, const std::string& marker, const std::string& value) {
  for (size_t at = text.find(marker); at != std::string::npos;
       at = text.find(marker, at + value.size()))
    text.replace(at, marker.size(), value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: orv-ocf-agent TEMPLATE OUTPUT BINDIR VERSION\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  std::stringstream buffer;
  buffer << in.rdbuf();
  if (!in) {
    std::cerr << "orv-ocf-agent: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::string text = buffer.str();
  replaceAll(text, "@META_DATA@", metaData(argv[4]));
  replaceAll(text, "@PARAMETERS@", parameterMap());
  replaceAll(text, "@BIN_DIR@", argv[3]);
  std::ofstream out(argv[2]);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "orv-ocf-agent: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
