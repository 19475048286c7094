#pragma once
// The byte pipe under an instrument protocol: what the protocol layers need
// from a serial port and nothing more. serialPort is the real thing; tests
// substitute a scripted fake to cut replies into pieces or stall them.

#include <cstddef>
#include <string>

// Why the last open() failed, as far as the system says.
enum class OpenFailure {
    None,
    NoSuchPort, // nothing at that name
    Busy,       // another program holds the port
    Refused,    // anything else: no permission, not a serial device, ...
};

class SerialLink {
public:
    virtual ~SerialLink() = default;

    // The owner sets the name before opening.
    void setPortName(const std::string &name) { name_ = name; }
    const std::string &portName() const { return name_; }

    virtual bool open() = 0;
    virtual OpenFailure openFailure() const { return OpenFailure::None; }
    // parity 'n' is none, any other character odd; timeoutValue in seconds.
    virtual bool configure(int baud, int dataBits, char parity, int timeoutValue) = 0;
    // Liveness: false before open, after close, and once the device went away.
    virtual bool isOpen() = 0;
    // Whatever is waiting in the input queue, never blocking; empty when nothing is.
    virtual std::string readAvailable() = 0;
    virtual long write(const char *bytes, std::size_t length) = 0;
    // Blocks until input is waiting, the device went away, or timeoutMs passed.
    // Returns true when there is something to look at (input or a state change).
    virtual bool waitReadable(int timeoutMs) = 0;
    virtual bool setDtr(int mode) = 0;
    virtual bool setRts(int mode) = 0;
    // False when there was nothing to close or closing failed.
    virtual bool close() = 0;

private:
    std::string name_;
};
