// The picked key's disk and volume, presented through the system-call table: device paths open image
// files and a disk answers the geometry it was given. No other device path can be opened.
#pragma once

#include "support/ScratchFolder.h"

#include "platform/SystemCalls.h"

#include <map>
#include <string>
#include <vector>

class FakeKeyDevices {
  public:
    FakeKeyDevices();
    ~FakeKeyDevices();
    FakeKeyDevices(const FakeKeyDevices &) = delete;
    FakeKeyDevices &operator=(const FakeKeyDevices &) = delete;

    // "\\.\PhysicalDriveN": opens; answers the geometry, or refuses the query without one.
    void addDisk(unsigned number, const DISK_GEOMETRY &geometry);
    void addDiskWithoutGeometry(unsigned number);
    // "\\.\X:".
    void addVolume(char letter);

    // Every path the program asked to open, in order, and those that matched no image.
    const std::vector<std::string> &requests() const { return m_requests; }
    const std::vector<std::string> &refused() const { return m_refused; }
    // How many geometry queries reached a fake disk.
    int geometryQueries() const { return m_geometryQueries; }

    static DISK_GEOMETRY geometry(long long cylinders, DWORD tracksPerCylinder, DWORD sectorsPerTrack,
                                  DWORD bytesPerSector);

  private:
    struct Device {
        std::string image;
        bool answersGeometry = false;
        DISK_GEOMETRY geometry{};
    };

    void add(const std::string &path, const Device &device);
    static HANDLE WINAPI createFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                    DWORD disposition, DWORD flags, HANDLE templateFile);
    static BOOL WINAPI deviceIoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                       DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped);

    ScratchFolder m_images;
    std::map<std::string, Device> m_devices;
    std::map<HANDLE, const Device *> m_open;
    std::vector<std::string> m_requests;
    std::vector<std::string> m_refused;
    int m_geometryQueries = 0;
    ScopedSystemCall<decltype(sys.CreateFileA)> m_createFile;
    ScopedSystemCall<decltype(sys.DeviceIoControl)> m_deviceIoControl;
};
