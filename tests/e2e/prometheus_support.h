// The real Prometheus tools beside the end-to-end tests: promtool, and
// node_exporter with only its textfile collector, on a loopback port.
// Both come from Debian packages (prometheus, prometheus-node-exporter);
// without them the tests that need them skip with a message.

#ifndef ORV_TESTS_E2E_PROMETHEUS_SUPPORT_H_
#define ORV_TESTS_E2E_PROMETHEUS_SUPPORT_H_

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "testing/sandbox/process.h"

namespace prom_support {

extern const char kPromtool[];
extern const char kNodeExporter[];

// One sample of the text format.
struct Sample {
  std::string name;
  std::map<std::string, std::string> labels;  // values unescaped
  double value = 0;
};
// The samples of a text-format document; comment lines skipped.  A line
// that does not parse becomes a sample named "<unparsed: LINE>".
std::vector<Sample> parseSamples(const std::string& text);
// The value of the one sample with exactly these name and labels; NaN
// when there is none or more than one.
double valueOf(const std::vector<Sample>& samples, const std::string& name,
               const std::map<std::string, std::string>& labels);

// promtool with args (stdinText on standard input).
orv_sandbox::ProcessResult promtool(const std::vector<std::string>& args,
                                    const std::string& stdinText = "");

// node_exporter reading one textfile directory, killed with the object.
class NodeExporter {
 public:
  explicit NodeExporter(const std::string& textfileDir);
  ~NodeExporter();
  NodeExporter(const NodeExporter&) = delete;
  NodeExporter& operator=(const NodeExporter&) = delete;

  // Empty once it answers on its port; else why not.
  const std::string& error() const { return error_; }
  // GET /metrics: the body, or '' (error() says why).
  std::string scrape();

 private:
  bool start(const std::string& dir, int port);
  void stop();

  pid_t pid_ = -1;
  int port_ = 0;
  std::string log_;
  std::string error_;
};

}  // namespace prom_support

#define PROM_REQUIRE_TOOL(path)                                                     \
  do {                                                                              \
    if (access(path, X_OK) != 0)                                                    \
      GTEST_SKIP() << path << " not installed (Debian packages prometheus and "     \
                   << "prometheus-node-exporter; scripts/install-deps.sh as root)"; \
  } while (0)

#endif  // ORV_TESTS_E2E_PROMETHEUS_SUPPORT_H_
