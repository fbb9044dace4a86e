// Benchmark: packed size and throughput of the szdd command against mscompress on a fixed corpus.
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "szdd_codec.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 3;  // each packer's best wall time of this many runs counts
constexpr double kMinGain = 0.015;
constexpr double kMinSpeedup = 4.0;

struct Entry {
    std::string name;
    std::vector<std::uint8_t> data;
    bool heldToGain;  // all but random data must beat mscompress by kMinGain
};

bool Slurp(const fs::path& path, std::vector<std::uint8_t>& data) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + got);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool Spill(const fs::path& path, const std::vector<std::uint8_t>& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && written;
}

// Concatenation of the files, or false when one cannot be read.
bool Gather(Entry& e, const std::vector<const char*>& paths) {
    for (const char* p : paths)
        if (!Slurp(p, e.data)) {
            std::fprintf(stderr, "bench: cannot read %s\n", p);
            return false;
        }
    return true;
}

bool BuildCorpus(std::vector<Entry>& corpus) {
    const char* pe = "/usr/lib/wine/i386-windows/notepad.exe";
    if (!fs::exists(pe)) pe = "/usr/lib/i386-linux-gnu/wine/i386-windows/notepad.exe";
    const struct {
        const char* name;
        std::vector<const char*> paths;
    } files[] = {
        {"GPL-3", {"/usr/share/common-licenses/GPL-3"}},
        {"C headers", {"/usr/include/stdio.h", "/usr/include/stdlib.h", "/usr/include/string.h",
                       "/usr/include/unistd.h"}},
        {"ls (ELF)", {"/usr/bin/ls"}},
        {"libc.so.6", {"/lib/x86_64-linux-gnu/libc.so.6"}},
        {"notepad.exe (PE)", {pe}},
    };
    for (const auto& f : files) {
        corpus.push_back({f.name, {}, true});
        if (!Gather(corpus.back(), f.paths)) return false;
    }
    Entry random{"64 KiB random", std::vector<std::uint8_t>(65536), false};
    std::uint64_t state = 0x5A5A'1234'ABCD'0001u;  // splitmix64, fixed seed
    for (auto& b : random.data) {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        b = static_cast<std::uint8_t>(z ^ (z >> 31));
    }
    corpus.push_back(random);
    corpus.push_back({"100 KiB zeros", std::vector<std::uint8_t>(102400, 0), true});
    return true;
}

// Best wall time of kRuns runs of the command, each with its output file
// removed first (mscompress refuses to overwrite), or negative when it fails.
double TimeCommand(const std::vector<std::string>& args, const fs::path& output) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    double best = -1;
    for (int run = 0; run < kRuns; ++run) {
        std::error_code ignored;
        fs::remove(output, ignored);
        const auto start = std::chrono::steady_clock::now();
        pid_t pid;
        int status;
        if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "bench: %s failed\n", argv[0]);
            return -1;
        }
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (best < 0 || t < best) best = t;
    }
    return best;
}

struct Result {
    std::uintmax_t ours;
    std::uintmax_t theirs;
    double oursSeconds;
    double theirsSeconds;
};

// Packs with both; false when a packer fails or our file does not decode back.
bool Measure(const std::string& szdd, const fs::path& dir, const Entry& e, Result& r) {
    const fs::path in = dir / "in";
    const fs::path ours = dir / "in.szdd";
    const fs::path theirs = dir / "in_";  // mscompress writes NAME_ beside NAME
    if (!Spill(in, e.data)) return false;
    r.oursSeconds = TimeCommand({szdd, "pack", in.string(), ours.string()}, ours);
    r.theirsSeconds = TimeCommand({"mscompress", in.string()}, theirs);
    if (r.oursSeconds < 0 || r.theirsSeconds < 0) return false;
    std::vector<std::uint8_t> packed;
    std::vector<std::uint8_t> decoded;
    szdd::Header header;
    if (!Slurp(ours, packed) ||
        szdd::Unpack(packed.data(), packed.size(), header, decoded) != szdd::DecodeStatus::Ok ||
        decoded != e.data) {
        std::fprintf(stderr, "bench: %s does not decode back\n", e.name.c_str());
        return false;
    }
    r.ours = packed.size();
    r.theirs = fs::file_size(theirs);
    return true;
}

double Gain(std::uintmax_t ours, std::uintmax_t theirs) {
    return 1.0 - static_cast<double>(ours) / static_cast<double>(theirs);
}

double MBps(std::uintmax_t bytes, double seconds) { return static_cast<double>(bytes) / seconds / 1e6; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: szdd_bench PATH-TO-SZDD\n", stderr);
        return 2;
    }
    const std::string szdd = fs::absolute(argv[1]).string();
    std::vector<Entry> corpus;
    if (!BuildCorpus(corpus)) return 1;

    std::string pattern = (fs::temp_directory_path() / "szdd-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("bench: mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;

    std::printf("%-18s %10s %10s %10s %7s %9s %9s %7s\n", "file", "bytes", "szdd", "mscompress", "gain",
                "szdd MB/s", "msc MB/s", "speed");
    bool neverLarger = true;
    bool gainMet = true;
    bool failed = false;
    Result total{0, 0, 0, 0};
    std::uintmax_t totalIn = 0;
    for (const Entry& e : corpus) {
        Result r;
        if (!Measure(szdd, dir, e, r)) {
            failed = true;
            break;
        }
        const double gain = Gain(r.ours, r.theirs);
        const bool larger = r.ours > r.theirs;
        const bool lowGain = e.heldToGain && gain < kMinGain;
        neverLarger = neverLarger && !larger;
        gainMet = gainMet && !lowGain;
        std::printf("%-18s %10zu %10ju %10ju %6.2f%% %9.1f %9.1f %6.1fx%s\n", e.name.c_str(), e.data.size(),
                    r.ours, r.theirs, 100 * gain, MBps(e.data.size(), r.oursSeconds),
                    MBps(e.data.size(), r.theirsSeconds), r.theirsSeconds / r.oursSeconds,
                    larger ? "  LARGER" : lowGain ? "  LOW GAIN" : "");
        totalIn += e.data.size();
        total.ours += r.ours;
        total.theirs += r.theirs;
        total.oursSeconds += r.oursSeconds;
        total.theirsSeconds += r.theirsSeconds;
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    if (failed) return 1;

    const double speedup = total.theirsSeconds / total.oursSeconds;
    std::printf("%-18s %10ju %10ju %10ju %6.2f%% %9.1f %9.1f %6.1fx\n", "total", totalIn, total.ours,
                total.theirs, 100 * Gain(total.ours, total.theirs),
                MBps(totalIn, total.oursSeconds), MBps(totalIn, total.theirsSeconds), speedup);
    const bool speedMet = speedup >= kMinSpeedup;
    std::printf("never larger than mscompress:                  %s\n", neverLarger ? "met" : "NOT MET");
    std::printf("at least 1.5 %% smaller on all but random data: %s\n", gainMet ? "met" : "NOT MET");
    std::printf("at least 4x mscompress's total throughput:     %s\n", speedMet ? "met" : "NOT MET");
    return neverLarger && gainMet && speedMet ? 0 : 1;
}
