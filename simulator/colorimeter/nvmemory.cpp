#include "nvmemory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace sim {

namespace {

const char *const header = "tintwell-sim colorimeter state 1";

std::string toHex(const std::string &bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool fromHex(const std::string &hex, std::string &out) {
    if (hex.size() % 2)
        return false;
    out.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = hexDigit(hex[i]), lo = hexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

std::string emptyRecord() {
    return std::string(NonVolatileMemory::recordLength, '\xFF');
}

} // namespace

NonVolatileMemory::NonVolatileMemory(std::string stateFile)
    : stateFile_(std::move(stateFile)), records_(slotCount, emptyRecord()) {}

void NonVolatileMemory::setFactoryContents(const std::vector<std::string> &records,
                                           const BlackTable &blackRom) {
    std::lock_guard<std::mutex> lock(lock_);
    for (std::size_t i = 0; i < records_.size(); ++i)
        records_[i] =
            i < records.size() && records[i].size() == recordLength ? records[i] : emptyRecord();
    blackRom_ = blackRom;
}

bool NonVolatileMemory::load(std::string *error) {
    auto fail = [&](const std::string &why) {
        writable_ = false; // never overwrite what we could not read
        if (error)
            *error = stateFile_ + ": " + why;
        return false;
    };
    if (stateFile_.empty())
        return true;
    struct stat st {};
    if (::stat(stateFile_.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return true; // not there yet: created on the first change
        return fail(std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) // a FIFO would hang the read, a device never end it
        return fail("not a regular file");
    std::ifstream in(stateFile_, std::ios::binary);
    if (!in) // there, but not ours to read: still not ours to replace
        return fail(std::string("cannot be read (") + std::strerror(errno) + ")");
    std::string line;
    if (!std::getline(in, line) || line != header)
        return fail("not a colorimeter state file");

    std::vector<std::string> records(slotCount, emptyRecord());
    BlackTable black = blackRom(); // kept when the file has no table
    int lineNumber = 1;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.empty())
            continue;
        std::istringstream words(line);
        std::string key;
        words >> key;
        bool ok = false;
        if (key == "slot") {
            int slot = 0;
            std::string hex, bytes, rest;
            ok = static_cast<bool>(words >> slot >> hex) && !(words >> rest) && slot >= 1 &&
                 slot <= slotCount && fromHex(hex, bytes) && bytes.size() == recordLength;
            if (ok)
                records[static_cast<std::size_t>(slot - 1)] = bytes;
        } else if (key == "black-rom") {
            ok = true;
            for (unsigned &v : black) {
                long n = -1;
                ok = ok && static_cast<bool>(words >> n) && n >= 0 && n <= 0xFFFF;
                v = static_cast<unsigned>(n);
            }
            std::string rest;
            ok = ok && !(words >> rest);
        }
        if (!ok)
            return fail("line " + std::to_string(lineNumber) + " is not understood");
    }
    std::lock_guard<std::mutex> lock(lock_);
    records_ = std::move(records);
    blackRom_ = black;
    return true;
}

std::string NonVolatileMemory::record(int slot) const {
    if (slot < 1 || slot > slotCount)
        return emptyRecord();
    std::lock_guard<std::mutex> lock(lock_);
    return records_[static_cast<std::size_t>(slot - 1)];
}

bool NonVolatileMemory::setRecord(int slot, const std::string &record) {
    if (slot < 1 || slot > slotCount || record.size() != recordLength)
        return false;
    std::lock_guard<std::mutex> lock(lock_);
    std::string &stored = records_[static_cast<std::size_t>(slot - 1)];
    const std::string before = stored;
    stored = record;
    if (!save()) {
        stored = before;
        return false;
    }
    return true;
}

NonVolatileMemory::BlackTable NonVolatileMemory::blackRom() const {
    std::lock_guard<std::mutex> lock(lock_);
    return blackRom_;
}

bool NonVolatileMemory::setBlackRom(const BlackTable &table) {
    std::lock_guard<std::mutex> lock(lock_);
    const BlackTable before = blackRom_;
    blackRom_ = table;
    if (!save()) {
        blackRom_ = before;
        return false;
    }
    return true;
}

bool NonVolatileMemory::save() const {
    if (stateFile_.empty())
        return true;
    if (!writable_)
        return false;
    const std::string temporary = stateFile_ + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << header << '\n';
        for (int slot = 1; slot <= slotCount; ++slot) {
            const std::string &r = records_[static_cast<std::size_t>(slot - 1)];
            if (r != emptyRecord())
                out << "slot " << slot << ' ' << toHex(r) << '\n';
        }
        out << "black-rom";
        for (unsigned v : blackRom_)
            out << ' ' << v;
        out << '\n';
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), stateFile_.c_str()) == 0;
}

} // namespace sim
