#include "controller/monitor_notes.h"

namespace orv_monitor {

namespace {

OrvString heading(int number) {
  OrvString h("\nWarning ");
  h = h + number + ":\n";
  return h;
}

}  // namespace

OrvString commandFailedEntry(int number, const OrvString& output, const OrvMonitorSide& side,
                             int isGroup, int isLink) {
  OrvString e;
  if (output.getLength() == 0) return e;
  e = heading(number) + output + "\n" + "\nWarning Notes\n";
  if (isGroup == 1)
    e = e + "Unable to find the properties for the Remote Copy Volume Group [" + side.group +
        "] as ";
  else if (isLink == 1)
    e = e + "Unable to find the Remote Copy Link Status as ";

  const OrvString system = OrvString(" Jx Vexa storage system[") + side.array + "]";
  if (output.contains("unreachable")) {
    e = e + "the " + side.word + system + " has exhausted CLI/SSH connections or is down.\n" +
        "\nTroubleshooting Notes\n" +
        "Check the connectivity to the storage system and make sure it is up and running.\n";
  } else if (output.contains("Could not open connection")) {
    e = e + "the CLI connection to Jx Vexa storage system[" + side.array +
        "] could not be established.\n" + "\nTroubleshooting Notes\n" +
        "Check the network connectivity to the storage system and make sure firewalls are "
        "not blocking any connections.\n";
  } else if (output.contains("many CLI")) {
    e = e + "the " + side.word + system + " has exhausted CLI/SSH connections or is down.\n" +
        "\nTroubleshooting Notes\n" +
        "Please flush the stale connections so that free connections are available for "
        "Orvanta Binary to communicate to the Jx Vexa Storage System[" +
        side.array + "].\n";
  } else if (output.contains("Badly formatted")) {
    e = e + "the connection to the " + side.word + system +
        " is successful but the response from storage is invalid.\n";
  }
  return e;
}

OrvString unparsedEntry(int number, const OrvString& output, const OrvMonitorSide& side,
                        int isGroup, int isLink) {
  OrvString e;
  if (output.getLength() == 0) return e;
  e = heading(number) + output + "\n" + "\nWarning notes\n" +
      "Unable to extract the values from the Jx Vexa Tessel OS CLI output.\n" +
      "\nTroubleshooting notes\n";
  if (isGroup == 1)
    e = e + "Please check the status of Remote Copy Group[" + side.group +
        "] on Jx Vexa Storage system[" + side.array + "].\n";
  else if (isLink == 1)
    e = e + "Please check the status of Remote Copy Links on Jx Vexa Storage system[" +
        side.array + "].\n";
  return e;
}

OrvString unconsolidatedEntry(int number, const OrvString& localGroup,
                              const OrvString& localArray, const OrvString& remoteGroup,
                              const OrvString& remoteArray) {
  return heading(number) +
         "Unable to consolidate remote and local Remote Copy Volume Group Status.\n" +
         "\nTroubleshooting notes\n" + "Please check the status of Remote Copy Volume Group[" +
         remoteGroup + "] on Jx Vexa Storage system[" + remoteArray +
         "] and Remote Copy Volume Group[" + localGroup + "] on Jx Vexa Storage system[" +
         localArray + "].\n";
}

}  // namespace orv_monitor
