// Device images behind the system-call table.
#include "support/win32/FakeKeyDevices.h"

#include <cstring>

namespace {

FakeKeyDevices *current = nullptr;

} // namespace

FakeKeyDevices::FakeKeyDevices()
    : m_createFile(sys.CreateFileA, createFile), m_deviceIoControl(sys.DeviceIoControl, deviceIoControl) {
    current = this;
}

FakeKeyDevices::~FakeKeyDevices() { current = nullptr; }

DISK_GEOMETRY FakeKeyDevices::geometry(long long cylinders, DWORD tracksPerCylinder, DWORD sectorsPerTrack,
                                       DWORD bytesPerSector) {
    DISK_GEOMETRY g{};
    g.Cylinders.QuadPart = cylinders;
    g.MediaType = RemovableMedia;
    g.TracksPerCylinder = tracksPerCylinder;
    g.SectorsPerTrack = sectorsPerTrack;
    g.BytesPerSector = bytesPerSector;
    return g;
}

void FakeKeyDevices::add(const std::string &path, const Device &device) {
    Device placed = device;
    placed.image = m_images / ("image" + std::to_string(m_devices.size()));
    // A first sector to read, as a refresh does.
    m_images.write("image" + std::to_string(m_devices.size()), std::string(4096, '\xf6'));
    m_devices[path] = placed;
}

void FakeKeyDevices::addDisk(unsigned number, const DISK_GEOMETRY &geometry) {
    Device disk;
    disk.answersGeometry = true;
    disk.geometry = geometry;
    add("\\\\.\\PhysicalDrive" + std::to_string(number), disk);
}

void FakeKeyDevices::addDiskWithoutGeometry(unsigned number) {
    add("\\\\.\\PhysicalDrive" + std::to_string(number), Device{});
}

void FakeKeyDevices::addVolume(char letter) { add(std::string("\\\\.\\") + letter + ":", Device{}); }

HANDLE WINAPI FakeKeyDevices::createFile(LPCSTR path, DWORD access, DWORD share,
                                         LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                         HANDLE templateFile) {
    current->m_requests.push_back(path);
    auto found = current->m_devices.find(path);
    // Whatever was not given an image stays unopened: a test never reaches a device of the machine.
    if (found == current->m_devices.end()) {
        current->m_refused.push_back(path);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle =
        ::CreateFileA(found->second.image.c_str(), access, share, security, disposition, flags, templateFile);
    if (handle != INVALID_HANDLE_VALUE)
        current->m_open[handle] = &found->second;
    return handle;
}

BOOL WINAPI FakeKeyDevices::deviceIoControl(HANDLE handle, DWORD code, LPVOID, DWORD, LPVOID out,
                                            DWORD outSize, LPDWORD returned, LPOVERLAPPED) {
    auto found = current->m_open.find(handle);
    if (code != IOCTL_DISK_GET_DRIVE_GEOMETRY || found == current->m_open.end() ||
        !found->second->answersGeometry || outSize < sizeof(DISK_GEOMETRY)) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    ++current->m_geometryQueries;
    std::memcpy(out, &found->second->geometry, sizeof(DISK_GEOMETRY));
    if (returned)
        *returned = sizeof(DISK_GEOMETRY);
    return TRUE;
}
