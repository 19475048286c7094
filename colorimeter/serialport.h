#pragma once
// One serial port: open by name, line settings, non-blocking reads of what is
// waiting, liveness. No framing, no thread, no lock: one owner thread at a time.

#include "seriallink.h"

#include <atomic>

class serialPort : public SerialLink {
public:
    serialPort() = default;
    explicit serialPort(const std::string &name) { setPortName(name); }
    ~serialPort() override;
    serialPort(const serialPort &) = delete;
    serialPort &operator=(const serialPort &) = delete;

    bool open() override;
    OpenFailure openFailure() const override { return openFailure_; }
    bool configure(int baud, int dataBits, char parity, int timeoutValue) override;
    bool isOpen() override;
    std::string readAvailable() override;
    long write(const char *bytes, std::size_t length) override;
    bool waitReadable(int timeoutMs) override;
    bool setDtr(int mode) override;
    bool setRts(int mode) override;
    bool close() override;

private:
    OpenFailure openFailure_ = OpenFailure::None;
#ifdef _WIN32
    void *handle_ = nullptr; // HANDLE; INVALID_HANDLE_VALUE is never stored
#else
    bool setModemBit(int bit, int mode);
    void noteError(int err);
    // Atomic because isConnected() may test liveness from another thread
    // while the measuring thread reads.
    std::atomic<int> fd_{-1};
    std::atomic<bool> gone_{false}; // the device vanished (EIO/ENODEV/hang-up)
#endif
};
