// Where the fakes of the sandbox find their scenario data and leave their
// recordings.  Shared by the fakes themselves and by the sandbox that
// writes the data, so both sides agree on one layout.
//
// Inside the sandbox, under kFakeDataDir:
//   nodename            the node name /bin/hostname prints (first line)
//   pkgenv/<PKG>        what "tvgetpkgenv PKG" prints: NAME=VALUE lines
//   clusterview         what "tvviewcl -s config -fline -v" prints
//   <fake>/output       optional: printed to standard output on every call
//   <fake>/exit         optional: exit code; non-zero skips the normal work
//   <fake>/<N>.args     recording of call N (1, 2, ...): every argument,
//                       argv[0] included, each followed by a NUL byte
//   <fake>/hang         optional: seconds the fake blocks (real time) first
//   sendmail/<N>.stdin  the message call N of sendmail read on standard
//                       input (cut at a lone "." line unless -i was given)
//   sendmail/<N>.rcpt   its recipients from the To: headers (-t), one a line
//   calls.log           one line per call of any fake: its arguments
//                       joined by blanks
#ifndef ORV_TESTING_FAKES_FAKE_DATA_H_
#define ORV_TESTING_FAKES_FAKE_DATA_H_

namespace orv_fake {

constexpr const char* kFakeDataDir = "/usr/local/orv-sandbox";

// Sandbox paths where the multi-call fake binary is installed, one name
// per fake; the fake picks its behaviour from the base name of argv[0].
constexpr const char* kFakePaths[] = {
    "/usr/bin/hostname",
    "/usr/local/tarvos/bin/tvgetpkgenv",
    "/usr/local/tarvos/bin/tvviewcl",
    "/usr/sbin/sendmail",
    "/opt/EMLN/bin/EvQ/evqmsg",
};

}  // namespace orv_fake

#endif  // ORV_TESTING_FAKES_FAKE_DATA_H_
