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

// The samples of a text-format document, keyed "name{labels}" with the
// labels sorted (node_exporter sorts them); comment lines skipped.  Label
// values must hold no comma, which is true of everything these tests
// write.
std::map<std::string, double> parseSamples(const std::string& text);
// The value under key; NaN when there is none.
double valueOf(const std::map<std::string, double>& samples, const std::string& key);

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
