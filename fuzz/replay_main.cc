// Runs a fuzz target over files without libFuzzer, so the normal build
// replays the checked-in corpus as a regression test:
//   <target>_replay FILE_OR_DIR...

#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int runFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int failures = 0;
  int inputs = 0;
  for (int i = 1; i < argc; ++i) {
    struct stat st;
    if (stat(argv[i], &st) != 0) {
      fprintf(stderr, "missing %s\n", argv[i]);
      ++failures;
      continue;
    }
    if (!S_ISDIR(st.st_mode)) {
      failures += runFile(argv[i]);
      ++inputs;
      continue;
    }
    DIR* dir = opendir(argv[i]);
    if (dir == nullptr) {
      ++failures;
      continue;
    }
    while (struct dirent* entry = readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      failures += runFile(std::string(argv[i]) + "/" + entry->d_name);
      ++inputs;
    }
    closedir(dir);
  }
  fprintf(stderr, "replayed %d inputs\n", inputs);
  // An empty corpus would make the test pass without checking anything.
  return (failures == 0 && inputs > 0) ? 0 : 1;
}
