// Windows serial port: synchronous COM handle; reads take only what
// ClearCommError reports as queued, so they never wait.
#ifdef _WIN32

#include "serialport.h"

#include <windows.h>

#include <vector>

namespace {
HANDLE toHandle(void *h) {
    return static_cast<HANDLE>(h);
}
} // namespace

serialPort::~serialPort() {
    close();
}

bool serialPort::open() {
    if (handle_)
        close();
    openFailure_ = OpenFailure::None;
    HANDLE h = CreateFileA(portName().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        // A COM port held by another program answers "access denied".
        const DWORD e = GetLastError();
        openFailure_ = e == ERROR_FILE_NOT_FOUND  ? OpenFailure::NoSuchPort
                       : e == ERROR_ACCESS_DENIED ? OpenFailure::Busy
                                                  : OpenFailure::Refused;
        return false;
    }
    handle_ = h;
    return true;
}

bool serialPort::configure(int baud, int dataBits, char parity, int timeoutValue) {
    if (!handle_)
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    GetCommState(toHandle(handle_), &dcb);
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = static_cast<BYTE>(dataBits);
    dcb.Parity = parity == 'n' ? NOPARITY : ODDPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (!SetCommState(toHandle(handle_), &dcb))
        return false;
    if (!SetupComm(toHandle(handle_), 1600, 1600))
        return false;
    DWORD ms = static_cast<DWORD>(timeoutValue) * 1000;
    COMMTIMEOUTS t{ms, ms, ms, ms, ms};
    return SetCommTimeouts(toHandle(handle_), &t) != 0;
}

bool serialPort::isOpen() {
    if (!handle_)
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    return GetCommState(toHandle(handle_), &dcb) != 0;
}

std::string serialPort::readAvailable() {
    if (!handle_)
        return {};
    DWORD errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(toHandle(handle_), &errors, &stat) || stat.cbInQue == 0)
        return {};
    if (!isOpen())
        return {};
    std::string out(stat.cbInQue, '\0');
    DWORD got = 0;
    if (!ReadFile(toHandle(handle_), &out[0], stat.cbInQue, &got, nullptr))
        got = 0;
    out.resize(got);
    return out;
}

long serialPort::write(const char *bytes, std::size_t length) {
    if (!handle_)
        return 0;
    DWORD written = 0;
    WriteFile(toHandle(handle_), bytes, static_cast<DWORD>(length), &written, nullptr);
    return static_cast<long>(written);
}

bool serialPort::waitReadable(int timeoutMs) {
    // Synchronous handles have no cheap wait with a time limit; poll the queue.
    DWORD start = GetTickCount();
    for (;;) {
        DWORD errors = 0;
        COMSTAT stat{};
        if (!handle_ || !ClearCommError(toHandle(handle_), &errors, &stat) || stat.cbInQue > 0)
            return true;
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs)
            return false;
        Sleep(1);
    }
}

static bool setControl(void *handle, bool dtr, int mode) {
    if (!handle)
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(toHandle(handle), &dcb))
        return false;
    if (dtr)
        dcb.fDtrControl = static_cast<DWORD>(mode & 3);
    else
        dcb.fRtsControl = static_cast<DWORD>(mode & 3);
    return SetCommState(toHandle(handle), &dcb) != 0;
}

bool serialPort::setDtr(int mode) {
    return setControl(handle_, true, mode);
}
bool serialPort::setRts(int mode) {
    return setControl(handle_, false, mode);
}

bool serialPort::close() {
    if (!handle_)
        return false;
    if (!CloseHandle(toHandle(handle_)))
        return false;
    handle_ = nullptr;
    return true;
}

#endif
