// A stand-in for libFuzzer so that every fuzz target builds and runs in the
// ordinary test build: each file named on the command line is fed as is,
// then a fixed number of pseudo-random inputs (the same ones every run)
// built from printable text, the runtime's punctuation and raw bytes; when
// files were given, half of those inputs are the files with a few bytes
// changed, cut or repeated, which reaches deeper into formats that random
// text seldom hits.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  std::vector<std::string> seeds;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    seeds.push_back(bytes);
  }
  static const char kAlphabet[] =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdxyz_$#%@.,;:'\"()[]{}<>=+-*/!&|^~?\\ \t\r\n\x1a";
  std::mt19937 rng(20261211);
  std::vector<uint8_t> buf;
  for (int round = 0; round < 3000; ++round) {
    if (!seeds.empty() && round % 2) {
      std::string m = seeds[rng() % seeds.size()];
      for (int edits = 1 + rng() % 4; edits > 0 && !m.empty(); --edits) {
        size_t at = rng() % m.size();
        switch (rng() % 4) {
          case 0:
            m[at] = kAlphabet[rng() % (sizeof kAlphabet - 1)];
            break;
          case 1:
            m.erase(at, 1 + rng() % 8);
            break;
          case 2:
            m.insert(at, m.substr(at, 1 + rng() % 16));
            break;
          default:
            m[at] = static_cast<char>(rng());
            break;
        }
      }
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(m.data()), m.size());
      continue;
    }
    size_t len = rng() % (round < 2000 ? 64 : 600);
    buf.resize(len);
    for (uint8_t& b : buf)
      b = rng() % 8 == 0 ? static_cast<uint8_t>(rng()) : kAlphabet[rng() % (sizeof kAlphabet - 1)];
    LLVMFuzzerTestOneInput(buf.data(), buf.size());
  }
  std::puts("fuzz driver: 3000 inputs");
  return 0;
}
