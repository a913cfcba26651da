// Runs a fuzz target's entry function once on every file of the folders (or
// files) named on the command line, so that the committed corpus, and every
// input a fuzzing run found, stays a test in builds without libFuzzer. An
// input that breaks a target's promise aborts, failing the test.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path = argv[i];
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    } else {
      inputs.push_back(path);
    }
  }
  std::sort(inputs.begin(), inputs.end());
  if (inputs.empty()) {
    std::cerr << "no inputs to replay\n";
    return 1;
  }
  for (const std::filesystem::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
      std::cerr << "cannot read " << input << "\n";
      return 1;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    std::cout << input.filename().string() << std::endl;
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::cout << inputs.size() << " inputs replayed\n";
  return 0;
}
