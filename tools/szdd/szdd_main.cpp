// szdd: host command that packs files into SZDD form, unpacks them and shows their header.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/crc32.h"
#include "szdd_codec.h"
#include "changes/payloadtable.h"

namespace {

int Usage() {
    std::fputs(
        "usage: szdd pack [--no-name-char | --name-char C] IN OUT\n"
        "       szdd unpack IN OUT\n"
        "       szdd info IN\n"
        "       szdd table OUT RESOURCE=PACKED...\n"
        "pack stores IN's last file-name character in the header when OUT ends in '_',\n"
        "otherwise 0; the options override that. table writes the payload record of\n"
        "setup.exe: length and CRC-32 of each packed file, stored and expanded.\n",
        stderr);
    return 2;
}

bool ReadFile(const char* path, std::vector<std::uint8_t>& data) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        std::fprintf(stderr, "szdd: cannot open %s: %s\n", path, std::strerror(errno));
        return false;
    }
    data.clear();
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + got);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) std::fprintf(stderr, "szdd: cannot read %s\n", path);
    return ok;
}

bool WriteFile(const char* path, const std::vector<std::uint8_t>& data) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::fprintf(stderr, "szdd: cannot create %s: %s\n", path, std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    if (std::fclose(f) != 0 || !written) {
        std::fprintf(stderr, "szdd: cannot write %s\n", path);
        std::remove(path);
        return false;
    }
    return true;
}

// The character a compressed name like "setup.ex_" stands for: IN's last one.
std::uint8_t LastNameChar(const std::string& in) {
    const std::size_t slash = in.find_last_of("/\\");
    const std::string base = slash == std::string::npos ? in : in.substr(slash + 1);
    return base.empty() ? 0 : static_cast<std::uint8_t>(base.back());
}

int Pack(int argc, char** argv) {
    int nameChar = -1;  // -1: decided by OUT's name
    int i = 0;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        if (std::strcmp(argv[i], "--no-name-char") == 0) {
            nameChar = 0;
        } else if (std::strcmp(argv[i], "--name-char") == 0 && i + 1 < argc &&
                   std::strlen(argv[i + 1]) == 1) {
            nameChar = static_cast<unsigned char>(argv[++i][0]);
        } else {
            return Usage();
        }
    }
    if (argc - i != 2) return Usage();
    const std::string in = argv[i];
    const std::string out = argv[i + 1];
    if (nameChar < 0) nameChar = !out.empty() && out.back() == '_' ? LastNameChar(in) : 0;

    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> packed;
    if (!ReadFile(in.c_str(), data)) return 1;
    if (!szdd::Pack(data.data(), data.size(), static_cast<std::uint8_t>(nameChar), packed)) {
        std::fprintf(stderr, "szdd: %s is too large for the format\n", in.c_str());
        return 1;
    }
    return WriteFile(out.c_str(), packed) ? 0 : 1;
}

// What makes a decoded file unsound, or null when it is sound.
const char* Fault(szdd::DecodeStatus status, const szdd::Header& header, std::size_t decoded) {
    switch (status) {
    case szdd::DecodeStatus::BadHeader:
        return "not an SZDD mode A file";
    case szdd::DecodeStatus::TruncatedMatch:
        return "the stream ends inside a match";
    case szdd::DecodeStatus::LongerThanHeader:
        return "the stream runs past the header's length";
    case szdd::DecodeStatus::Ok:
        break;
    }
    return decoded == header.length ? nullptr : "the decoded length differs from the header's";
}

int Unpack(int argc, char** argv) {
    if (argc != 2) return Usage();
    std::vector<std::uint8_t> file;
    std::vector<std::uint8_t> data;
    szdd::Header header;
    if (!ReadFile(argv[0], file)) return 1;
    const szdd::DecodeStatus status = szdd::Unpack(file.data(), file.size(), header, data);
    if (const char* fault = Fault(status, header, data.size())) {
        std::fprintf(stderr, "szdd: %s: %s\n", argv[0], fault);
        return 1;
    }
    return WriteFile(argv[1], data) ? 0 : 1;
}

int Info(int argc, char** argv) {
    if (argc != 1) return Usage();
    std::vector<std::uint8_t> file;
    std::vector<std::uint8_t> data;
    szdd::Header header;
    if (!ReadFile(argv[0], file)) return 1;
    const szdd::DecodeStatus status = szdd::Unpack(file.data(), file.size(), header, data);
    const char* fault = Fault(status, header, data.size());
    if (status == szdd::DecodeStatus::BadHeader) {
        std::fprintf(stderr, "szdd: %s: %s\n", argv[0], fault);
        return 1;
    }
    std::printf("mode:           %c\n", header.mode);
    if (header.nameChar >= 0x21 && header.nameChar < 0x7F)
        std::printf("name character: '%c'\n", header.nameChar);
    else
        std::printf("name character: 0x%02X\n", header.nameChar);
    std::printf("stated length:  %lu\n", static_cast<unsigned long>(header.length));
    std::printf("decoded length: %zu\n", data.size());
    std::printf("packed size:    %zu\n", file.size());
    std::printf("stored CRC-32:  %08lX\n", static_cast<unsigned long>(Crc32(0, file.data(), file.size())));
    std::printf("decoded CRC-32: %08lX\n", static_cast<unsigned long>(Crc32(0, data.data(), data.size())));
    std::printf("status:         %s\n", fault ? fault : "sound");
    return fault ? 1 : 0;
}

// Only a sound packed file is recorded: what the record says must be what installs.
int Table(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::size_t rows = static_cast<std::size_t>(argc - 1);
    std::vector<std::uint8_t> table(PAYLOAD_TABLE_HEADER_SIZE + rows * PAYLOAD_TABLE_ROW_SIZE);
    PutPayloadTableHeader(table.data(), static_cast<std::uint32_t>(rows));
    for (std::size_t i = 0; i < rows; ++i) {
        const std::string arg = argv[i + 1];
        const std::size_t eq = arg.find('=');
        if (eq == std::string::npos) return Usage();
        const std::string name = arg.substr(0, eq);
        const std::string path = arg.substr(eq + 1);
        std::vector<std::uint8_t> file;
        std::vector<std::uint8_t> data;
        szdd::Header header;
        if (!ReadFile(path.c_str(), file)) return 1;
        const szdd::DecodeStatus status = szdd::Unpack(file.data(), file.size(), header, data);
        if (const char* fault = Fault(status, header, data.size())) {
            std::fprintf(stderr, "szdd: %s: %s\n", path.c_str(), fault);
            return 1;
        }
        PayloadCheck check;
        check.storedLength = static_cast<std::uint32_t>(file.size());
        check.storedCrc = Crc32(0, file.data(), file.size());
        check.expandedLength = static_cast<std::uint32_t>(data.size());
        check.expandedCrc = Crc32(0, data.data(), data.size());
        std::uint8_t* row = table.data() + PAYLOAD_TABLE_HEADER_SIZE + i * PAYLOAD_TABLE_ROW_SIZE;
        if (!PutPayloadTableRow(row, name.c_str(), &check)) {
            std::fprintf(stderr, "szdd: resource name '%s' must have 1 to %d characters\n", name.c_str(),
                         PAYLOAD_TABLE_NAME_SIZE - 1);
            return 1;
        }
    }
    return WriteFile(argv[0], table) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "pack") return Pack(argc - 2, argv + 2);
    if (command == "unpack") return Unpack(argc - 2, argv + 2);
    if (command == "info") return Info(argc - 2, argv + 2);
    if (command == "table") return Table(argc - 2, argv + 2);
    return Usage();
}
