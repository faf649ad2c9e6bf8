#include "gdiplus_png.h"

#include <cwchar>

bool findPngEncoder(CLSID& encoder) {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || count == 0 || bytes == 0) return false;
    // The descriptions are followed by the strings they point to, all in one block.
    std::vector<unsigned char> block(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    bool found = false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType != nullptr && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            encoder = codecs[i].Clsid;
            found = true;
        }
    }
    return found;
}

std::vector<uint8_t> encodePng(Gdiplus::Bitmap& bitmap) {
    std::vector<uint8_t> png;
    CLSID encoder{};
    if (!findPngEncoder(encoder)) return png;
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return png;
    STATSTG status{};
    if (bitmap.Save(stream, &encoder, nullptr) == Gdiplus::Ok && stream->Stat(&status, STATFLAG_NONAME) == S_OK &&
        status.cbSize.QuadPart > 0 && status.cbSize.QuadPart < 0x7FFFFFFF) {
        png.resize(static_cast<std::size_t>(status.cbSize.QuadPart));
        const LARGE_INTEGER start{};
        ULONG read = 0;
        if (stream->Seek(start, STREAM_SEEK_SET, nullptr) != S_OK ||
            stream->Read(png.data(), static_cast<ULONG>(png.size()), &read) != S_OK || read != png.size()) {
            png.clear();
        }
    }
    stream->Release();
    return png;
}
