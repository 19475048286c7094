#pragma once
// What the simulated colorimeter keeps across power cycles: 96 profile
// records and the stored black-level table. With a state file every change is
// written through (atomically, by renaming a finished temporary file), so a
// restarted simulator finds its profiles like a real instrument.

#include <array>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

class NonVolatileMemory {
public:
    static constexpr int slotCount = 96;
    static constexpr std::size_t recordLength = 128;
    static constexpr std::size_t blackValues = 19; // 18 dark counts, then thermal
    using BlackTable = std::array<unsigned, blackValues>;

    // stateFile empty: nothing persists.
    explicit NonVolatileMemory(std::string stateFile = {});

    // Contents as shipped, before load(); not saved.
    void setFactoryContents(const std::vector<std::string> &records, const BlackTable &blackRom);

    // Replaces the contents with the state file's when it exists. False (with
    // a reason) when it exists but is not a readable state file; the contents
    // are then unchanged and nothing will ever be written over that file.
    bool load(std::string *error);

    // All 0xFF for an empty slot (and for a slot out of range).
    std::string record(int slot) const;
    // slot 1 to 96 and exactly 128 bytes; false (nothing changed) otherwise or
    // when the state could not be saved.
    bool setRecord(int slot, const std::string &record);

    BlackTable blackRom() const;
    bool setBlackRom(const BlackTable &table);

    const std::string &stateFile() const { return stateFile_; }

private:
    bool save() const; // callers hold lock_

    std::string stateFile_;
    bool writable_ = true;
    mutable std::mutex lock_;
    std::vector<std::string> records_; // slots 1-96
    BlackTable blackRom_{};
};

} // namespace sim
