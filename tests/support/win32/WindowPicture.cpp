// Window pictures as PNG files: a screen copy, written with stored (uncompressed) deflate blocks,
// which every PNG reader takes and which need no compression library.
#include "support/win32/WindowPicture.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

std::uint32_t crc32(const std::uint8_t *data, size_t size, std::uint32_t crc = 0) {
    static std::uint32_t table[256];
    if (!table[1]) {
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void putBig32(std::vector<std::uint8_t> &out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putChunk(std::vector<std::uint8_t> &out, const char *type, const std::vector<std::uint8_t> &data) {
    putBig32(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    putBig32(out, crc32(body.data(), body.size()));
}

std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint8_t> &rgbRows) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    putBig32(header, static_cast<std::uint32_t>(width));
    putBig32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
    putChunk(png, "IHDR", header);

    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (size_t pos = 0; pos < rgbRows.size() || pos == 0;) {
        size_t n = std::min<size_t>(65535, rgbRows.size() - pos);
        bool last = pos + n == rgbRows.size();
        z.push_back(last ? 1 : 0);
        z.insert(z.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                           static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
        z.insert(z.end(), rgbRows.begin() + pos, rgbRows.begin() + pos + n);
        for (size_t i = pos; i < pos + n; ++i) {
            a = (a + rgbRows[i]) % 65521;
            b = (b + a) % 65521;
        }
        pos += n;
        if (last)
            break;
    }
    putBig32(z, (b << 16) | a);
    putChunk(png, "IDAT", z);
    putChunk(png, "IEND", {});
    return png;
}

} // namespace

bool SaveWindowPicture(HWND window, const std::string &path) {
    RECT rect;
    if (!::GetWindowRect(window, &rect))
        return false;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    bool copied = ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    std::vector<std::uint8_t> rows;
    if (copied) {
        rows.reserve(static_cast<size_t>(height) * (width * 3 + 1));
        const auto *pixel = static_cast<const std::uint8_t *>(bits);
        for (int y = 0; y < height; ++y) {
            rows.push_back(0); // no filter
            for (int x = 0; x < width; ++x, pixel += 4)
                rows.insert(rows.end(), {pixel[2], pixel[1], pixel[0]});
        }
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (!copied)
        return false;

    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    std::vector<std::uint8_t> png = encodePng(width, height, rows);
    out.write(reinterpret_cast<const char *>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}
