#include "rcwatch/mail_message.h"

namespace orv_mail {

std::string mailText(const std::string& address, const std::string& hostName,
                     const std::string& packageName, const std::string& body,
                     const std::string& summary) {
  std::string text = "To: " + address + "\n";
  text += "From: root@" + hostName + "\n";
  text += "Subject: ";
  text += kSubjectText;
  text += " " + packageName + " package";
  if (!summary.empty()) text += ": " + summary;
  text += "\n";
  text += body;
  return text;
}

}  // namespace orv_mail
