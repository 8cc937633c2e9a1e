// make_tree OUT_DIR [--scale S] [--seed N] [--manifest FILE]
//
// Writes a deterministic tree for timing searches: at scale 1 about 30,000
// files and 1.3 GB, half of them candidate files (the ten extensions, case
// mixed now and then) holding about 558 MB in ASCII, UTF-8, Windows-1252,
// mixed UTF-8/Windows-1252 and UTF-16 LE, a few 40 MB files, and other
// files (binary resources, C sources, logs) for the rest. About 3% of the
// candidate files hold "zafferano" and 3% hold "città", in assorted case,
// each in the file's own encoding. The manifest lists, per planted text,
// every candidate file that holds it, so a search can be checked against
// what was planted. Smaller scales shrink every count and size alike.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/random_stream.h"
#include "bench/tree_text.h"

namespace brenvo1::bench {
namespace {

// The tree at scale 1.
constexpr double kCandidateFiles = 14900;
constexpr double kOtherFiles = 15100;
constexpr double kFolders = 1500;
constexpr double kCandidateBytes = 558e6;
constexpr double kOtherBytes = 742e6;
constexpr double kBigFileBytes = 40e6;
constexpr double kBigCandidateFiles = 3;
constexpr double kBigOtherFiles = 2;
constexpr int kMaxDepth = 7;
constexpr std::size_t kPoolBytes = 8u << 20;

constexpr unsigned kHitPerMille = 30;
constexpr unsigned kEmptyPerMille = 5;

constexpr std::string_view kAsciiWord = "zafferano";
constexpr std::string_view kAccentedWord = "città";
constexpr std::array<std::string_view, 3> kAsciiForms = {"zafferano", "Zafferano", "ZAFFERANO"};
constexpr std::array<std::string_view, 3> kAccentedForms = {"città", "Città", "CITTÀ"};

enum class Encoding { Ascii, Utf8, Utf8Bom, Cp1252, Mixed, Utf16Le, Binary };

constexpr std::string_view EncodingName(Encoding e) {
  switch (e) {
    case Encoding::Ascii: return "ascii";
    case Encoding::Utf8: return "utf-8";
    case Encoding::Utf8Bom: return "utf-8+bom";
    case Encoding::Cp1252: return "windows-1252";
    case Encoding::Mixed: return "utf-8+windows-1252";
    case Encoding::Utf16Le: return "utf-16le";
    case Encoding::Binary: return "binary";
  }
  return "?";
}

template <typename T, std::size_t N>
T PickWeighted(RandomStream& random, const std::array<std::pair<T, unsigned>, N>& perMille) {
  auto roll = random.Below(1000);
  for (const auto& [value, weight] : perMille) {
    if (roll < weight) return value;
    roll -= weight;
  }
  return perMille.back().first;
}

constexpr std::array<std::pair<Encoding, unsigned>, 6> kCandidateEncodings = {{
    {Encoding::Ascii, 550}, {Encoding::Utf8, 150}, {Encoding::Utf8Bom, 50},
    {Encoding::Cp1252, 170}, {Encoding::Mixed, 30}, {Encoding::Utf16Le, 50},
}};

constexpr std::array<std::pair<std::string_view, unsigned>, 10> kCandidateExtensions = {{
    {".bas", 220}, {".cls", 180}, {".frm", 180}, {".txt", 200}, {".vbp", 40},
    {".hds", 40}, {".bds", 40}, {".lds", 40}, {".dss", 30}, {".dse", 30},
}};

// Text files that are no candidates, some of them near misses (.text,
// .txt.bak), and binary resources; an empty extension means no dot at all.
constexpr std::array<std::pair<std::string_view, unsigned>, 16> kOtherExtensions = {{
    {".frx", 120}, {".ocx", 50}, {".dll", 60}, {".exe", 50}, {".o", 80}, {".png", 80},
    {".zip", 60}, {".pdf", 50}, {".c", 100}, {".h", 60}, {".log", 100}, {".ini", 40},
    {".bak", 40}, {".text", 40}, {".txt.bak", 40}, {"", 30},
}};

constexpr std::array<std::string_view, 18> kFolderWords = {
    "Progetti", "Moduli", "Maschere", "Classi", "Documenti", "Archivio", "Vecchi", "Backup", "Clienti",
    "Fatture", "Magazzino", "Stampe", "Report", "Lavori", "Sorgenti", "Risorse", "Dati", "Export",
};

constexpr std::array<std::string_view, 12> kFileWords = {
    "Cliente", "Fattura", "Ordine", "Magazzino", "Stampa", "Modulo",
    "Principale", "Utility", "Archivio", "Listino", "Note", "Leggimi",
};

// Exponent of a size class (about 1 KiB << e) and its share; sizes are
// scaled to the byte budget afterwards, so only the shape matters.
constexpr std::array<std::pair<int, unsigned>, 11> kSizeClasses = {{
    {0, 100}, {1, 140}, {2, 180}, {3, 180}, {4, 140}, {5, 100}, {6, 70}, {7, 45}, {8, 25}, {9, 12}, {10, 8},
}};

struct Options {
  std::string outDir;
  double scale = 1.0;
  std::uint64_t seed = 1;
  std::string manifest;
};

struct Plant {
  bool accented = false;
  Encoding form = Encoding::Ascii;  // encoding the planted line is written in
  bool atEnd = false;
};

struct PlannedFile {
  std::size_t folder = 0;
  std::string name;
  bool candidate = false;
  Encoding encoding = Encoding::Ascii;
  std::uint64_t size = 0;
  std::vector<Plant> plants;
};

struct Folder {
  std::string relativePath;  // empty for the root
  int depth = 0;
};

[[noreturn]] void Fail(const std::string& what) {
  std::cerr << "make_tree: " << what << "\n";
  std::exit(1);
}

[[noreturn]] void FailErrno(const std::string& what, const std::string& path) {
  Fail(what + " " + path + ": " + std::strerror(errno));
}

std::uint64_t Scaled(double count, double scale) { return static_cast<std::uint64_t>(std::llround(count * scale)); }

std::string Padded(std::uint64_t n, int width) {
  std::string digits = std::to_string(n);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return digits;
}

std::string VaryCase(RandomStream& random, std::string_view extension) {
  std::string varied(extension);
  const auto roll = random.Below(100);
  for (std::size_t i = 1; i < varied.size(); ++i) {
    const bool upper = roll < 7 || (roll < 10 && i == 1);
    if (upper && varied[i] >= 'a' && varied[i] <= 'z') varied[i] = static_cast<char>(varied[i] - 'a' + 'A');
  }
  return varied;
}

std::vector<Folder> MakeFolders(RandomStream& random, std::uint64_t count) {
  std::vector<Folder> folders{{"", 0}};
  std::vector<std::size_t> parents{0};
  for (std::uint64_t i = 1; i < count; ++i) {
    auto parent = static_cast<std::size_t>(random.Below(folders.size()));
    while (folders[parent].depth >= kMaxDepth) parent = parents[parent];
    const auto& base = folders[parent].relativePath;
    std::string name = std::string(kFolderWords[random.Below(kFolderWords.size())]) + "_" + Padded(i, 4);
    folders.push_back({base.empty() ? name : base + "/" + name, folders[parent].depth + 1});
    parents.push_back(parent);
  }
  return folders;
}

std::string FileName(RandomStream& random, std::uint64_t index, std::string_view extension) {
  std::string stem(kFileWords[random.Below(kFileWords.size())]);
  // A few names with a space, as Windows users write them.
  stem += random.PerMille(20) ? " " : "_";
  return stem + Padded(index, 5) + std::string(extension);
}

// Spreads budget over the files by weights drawn from the size classes.
void AssignSizes(RandomStream& random, std::vector<PlannedFile*>& files, double budget) {
  std::vector<std::uint64_t> weights;
  unsigned __int128 total = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const int exponent = PickWeighted(random, kSizeClasses);
    const std::uint64_t weight = (1024 + random.Below(1024)) << exponent;
    weights.push_back(weight);
    total += weight;
  }
  if (total == 0) return;
  const auto bytes = static_cast<unsigned __int128>(std::max(0.0, budget));
  for (std::size_t i = 0; i < files.size(); ++i) {
    files[i]->size = static_cast<std::uint64_t>(weights[i] * bytes / total);
  }
}

Encoding AccentedForm(RandomStream& random, Encoding fileEncoding) {
  switch (fileEncoding) {
    case Encoding::Ascii:
    case Encoding::Mixed:
      return random.Below(2) == 0 ? Encoding::Utf8 : Encoding::Cp1252;
    case Encoding::Utf8Bom:
      return Encoding::Utf8;
    default:
      return fileEncoding;
  }
}

class TreeWriter {
 public:
  explicit TreeWriter(std::uint64_t poolSeed) : random_(poolSeed + 1) {
    RandomStream poolRandom(poolSeed);
    const std::string italian = MakeItalianText(poolRandom, kPoolBytes);
    code_ = std::make_unique<TextPool>(MakeCodeText(poolRandom, kPoolBytes), "\n");
    utf8_ = std::make_unique<TextPool>(italian, "\n");
    cp1252_ = std::make_unique<TextPool>(Utf8ToCp1252(italian), "\n");
    utf16_ = std::make_unique<TextPool>(Utf8ToUtf16Le(italian), std::string_view("\n\0", 2));
    binary_ = std::make_unique<TextPool>(MakeRandomBytes(poolRandom, kPoolBytes), "\n");
  }

  void WriteFile(const std::string& path, const PlannedFile& planned) {
    content_.clear();
    if (planned.size > 0 || !planned.plants.empty()) Fill(planned);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) FailErrno("cannot create", path);
    std::size_t done = 0;
    while (done < content_.size()) {
      const ssize_t n = ::write(fd, content_.data() + done, content_.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        FailErrno("cannot write", path);
      }
      done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) FailErrno("cannot close", path);
    written_ += content_.size();
  }

  std::uint64_t written() const { return written_; }

 private:
  void Fill(const PlannedFile& planned) {
    if (planned.encoding == Encoding::Utf8Bom) content_ += "\xEF\xBB\xBF";
    if (planned.encoding == Encoding::Utf16Le) content_ += "\xFF\xFE";

    // Planted lines sit at random line starts, or at the very end; a mixed
    // file also switches encoding halfway.
    std::vector<std::pair<std::uint64_t, const Plant*>> cuts;
    for (const auto& plant : planned.plants) cuts.emplace_back(plant.atEnd ? planned.size : random_.Below(planned.size + 1), &plant);
    if (planned.encoding == Encoding::Mixed) cuts.emplace_back(planned.size / 2, nullptr);
    std::sort(cuts.begin(), cuts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    std::uint64_t at = 0;
    int segment = 0;
    for (const auto& [offset, plant] : cuts) {
      AppendFiller(planned.encoding, segment++, offset - at);
      at = offset;
      if (plant != nullptr) AppendPlant(*plant);
    }
    AppendFiller(planned.encoding, segment, planned.size - at);
  }

  void AppendFiller(Encoding encoding, int segment, std::uint64_t size) {
    switch (encoding) {
      case Encoding::Ascii: code_->AppendLines(random_, size, content_); break;
      case Encoding::Utf8:
      case Encoding::Utf8Bom: utf8_->AppendLines(random_, size, content_); break;
      case Encoding::Cp1252: cp1252_->AppendLines(random_, size, content_); break;
      case Encoding::Mixed: (segment % 2 == 0 ? utf8_ : cp1252_)->AppendLines(random_, size, content_); break;
      case Encoding::Utf16Le: utf16_->AppendLines(random_, size, content_); break;
      case Encoding::Binary: binary_->AppendBytes(random_, size, content_); break;
    }
  }

  void AppendPlant(const Plant& plant) {
    const auto& forms = plant.accented ? kAccentedForms : kAsciiForms;
    const std::string line = "' vedi la " + std::string(forms[random_.Below(forms.size())]) + " nel modulo\r\n";
    switch (plant.form) {
      case Encoding::Cp1252: content_ += Utf8ToCp1252(line); break;
      case Encoding::Utf16Le: content_ += Utf8ToUtf16Le(line); break;
      default: content_ += line; break;
    }
  }

  RandomStream random_;
  std::unique_ptr<TextPool> code_, utf8_, cp1252_, utf16_, binary_;
  std::string content_;
  std::uint64_t written_ = 0;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  const auto usage = [] { Fail("usage: make_tree OUT_DIR [--scale S] [--seed N] [--manifest FILE]"); };
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage();
      return argv[++i];
    };
    if (arg == "--scale") {
      options.scale = std::strtod(value().c_str(), nullptr);
    } else if (arg == "--seed") {
      options.seed = std::strtoull(value().c_str(), nullptr, 10);
    } else if (arg == "--manifest") {
      options.manifest = value();
    } else if (!arg.empty() && arg[0] == '-') {
      usage();
    } else if (options.outDir.empty()) {
      options.outDir = arg;
    } else {
      usage();
    }
  }
  if (options.outDir.empty() || !(options.scale > 0) || options.scale > 100) usage();
  return options;
}

void PrepareOutDir(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) == 0) return;
  if (errno != EEXIST) FailErrno("cannot create", path);
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) FailErrno("cannot open", path);
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      ::closedir(dir);
      Fail(path + " exists and is not empty");
    }
  }
  ::closedir(dir);
}

int Run(const Options& options) {
  RandomStream layout(options.seed * 3 + 1);
  const double s = options.scale;

  const auto folders = MakeFolders(layout, std::max<std::uint64_t>(1, Scaled(kFolders, s)));
  const auto candidateCount = std::max<std::uint64_t>(1, Scaled(kCandidateFiles, s));
  const auto otherCount = Scaled(kOtherFiles, s);
  const auto bigCandidates = std::min<std::uint64_t>(candidateCount, std::max<std::uint64_t>(1, Scaled(kBigCandidateFiles, s)));
  const auto bigOthers = std::min<std::uint64_t>(otherCount, std::max<std::uint64_t>(1, Scaled(kBigOtherFiles, s)));
  const double bigCandidateBytes = kBigFileBytes * kBigCandidateFiles * s / static_cast<double>(bigCandidates);
  const double bigOtherBytes = bigOthers == 0 ? 0 : kBigFileBytes * kBigOtherFiles * s / static_cast<double>(bigOthers);

  std::vector<PlannedFile> files;
  files.reserve(candidateCount + otherCount);
  std::vector<PlannedFile*> sized, sizedOthers;
  for (std::uint64_t i = 0; i < candidateCount + otherCount; ++i) {
    PlannedFile planned;
    planned.folder = static_cast<std::size_t>(layout.Below(folders.size()));
    planned.candidate = i < candidateCount;
    if (planned.candidate) {
      planned.encoding = PickWeighted(layout, kCandidateEncodings);
      planned.name = FileName(layout, i, VaryCase(layout, PickWeighted(layout, kCandidateExtensions)));
    } else {
      const auto extension = PickWeighted(layout, kOtherExtensions);
      const bool binary = extension == ".frx" || extension == ".ocx" || extension == ".dll" || extension == ".exe" ||
                          extension == ".o" || extension == ".png" || extension == ".zip" || extension == ".pdf";
      planned.encoding = binary ? Encoding::Binary : (layout.Below(3) == 0 ? Encoding::Utf8 : Encoding::Ascii);
      planned.name = FileName(layout, i, extension);
    }
    files.push_back(std::move(planned));
  }

  // The first few files of each kind are the big ones; the rest share what
  // is left of the budget. A big candidate file holds its planted text at
  // its very end, so that a search has to read all of it.
  for (std::uint64_t i = 0; i < files.size(); ++i) {
    auto& planned = files[i];
    const bool bigCandidate = planned.candidate && i < bigCandidates;
    const bool bigOther = !planned.candidate && i - candidateCount < bigOthers;
    if (bigCandidate) {
      static constexpr std::array<Encoding, 3> kBigEncodings = {Encoding::Ascii, Encoding::Cp1252, Encoding::Utf8};
      planned.encoding = kBigEncodings[i % kBigEncodings.size()];
      planned.size = static_cast<std::uint64_t>(bigCandidateBytes);
      if (planned.encoding == Encoding::Ascii) planned.plants.push_back({false, Encoding::Ascii, true});
      if (planned.encoding == Encoding::Cp1252) planned.plants.push_back({true, Encoding::Cp1252, true});
      continue;
    }
    if (bigOther) {
      planned.encoding = Encoding::Binary;
      planned.size = static_cast<std::uint64_t>(bigOtherBytes);
      continue;
    }
    if (planned.candidate && layout.PerMille(kEmptyPerMille)) continue;  // stays empty
    (planned.candidate ? sized : sizedOthers).push_back(&planned);
    if (planned.encoding == Encoding::Binary) continue;
    const Encoding asciiForm = planned.encoding == Encoding::Utf16Le ? Encoding::Utf16Le : Encoding::Ascii;
    if (layout.PerMille(kHitPerMille)) planned.plants.push_back({false, asciiForm, false});
    if (layout.PerMille(kHitPerMille)) planned.plants.push_back({true, AccentedForm(layout, planned.encoding), false});
  }
  AssignSizes(layout, sized, kCandidateBytes * s - bigCandidateBytes * static_cast<double>(bigCandidates));
  AssignSizes(layout, sizedOthers, kOtherBytes * s - bigOtherBytes * static_cast<double>(bigOthers));

  PrepareOutDir(options.outDir);
  for (std::size_t f = 1; f < folders.size(); ++f) {
    const std::string path = options.outDir + "/" + folders[f].relativePath;
    if (::mkdir(path.c_str(), 0755) != 0) FailErrno("cannot create", path);
  }

  TreeWriter writer(options.seed * 3 + 2);
  std::vector<std::pair<std::string_view, std::string>> manifest;
  std::map<std::string, std::uint64_t> tally;
  std::uint64_t candidateBytes = 0, emptyCandidates = 0;
  for (const auto& planned : files) {
    const auto& folder = folders[planned.folder].relativePath;
    const std::string relative = folder.empty() ? planned.name : folder + "/" + planned.name;
    const auto before = writer.written();
    writer.WriteFile(options.outDir + "/" + relative, planned);
    if (!planned.candidate) {
      for (const auto& plant : planned.plants) ++tally[std::string("other files holding ") + std::string(plant.accented ? kAccentedWord : kAsciiWord)];
      continue;
    }
    candidateBytes += writer.written() - before;
    if (writer.written() == before) ++emptyCandidates;
    ++tally["candidates " + std::string(EncodingName(planned.encoding))];
    for (const auto& plant : planned.plants) {
      const auto word = plant.accented ? kAccentedWord : kAsciiWord;
      manifest.emplace_back(word, relative);
      ++tally["hits " + std::string(word) + " written as " + std::string(EncodingName(plant.form))];
    }
  }

  if (!options.manifest.empty()) {
    std::sort(manifest.begin(), manifest.end());
    std::ofstream out(options.manifest, std::ios::binary);
    for (const auto& [word, path] : manifest) out << word << '\t' << path << '\n';
    if (!out) Fail("cannot write " + options.manifest);
  }

  std::cout << "folders " << folders.size() << "\n"
            << "files " << files.size() << " (candidates " << candidateCount << ", empty " << emptyCandidates << ")\n"
            << "bytes " << writer.written() << " (candidates " << candidateBytes << ")\n";
  for (const auto& [what, count] : tally) std::cout << what << " " << count << "\n";
  return 0;
}

}  // namespace
}  // namespace brenvo1::bench

int main(int argc, char** argv) { return brenvo1::bench::Run(brenvo1::bench::ParseOptions(argc, argv)); }
