#include <dshow/MediaFormats.h>

namespace dshow {

DWORD image_size(const BITMAPINFOHEADER& header)
{
    LONG height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (header.biWidth <= 0 || height <= 0)
        return 0;
    if (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS) {
        auto stride = ((static_cast<DWORD>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
        return stride * static_cast<DWORD>(height);
    }
    if (header.biCompression == FOURCC_YUY2)
        return static_cast<DWORD>(header.biWidth) * 2 * static_cast<DWORD>(height);
    return 0;
}

static VIDEOINFOHEADER make_video_format(LONG width, LONG height, REFERENCE_TIME time_per_frame)
{
    VIDEOINFOHEADER vih {};
    vih.rcSource = { 0, 0, width, height };
    vih.rcTarget = vih.rcSource;
    vih.AvgTimePerFrame = time_per_frame;
    vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih.bmiHeader.biWidth = width;
    vih.bmiHeader.biPlanes = 1;
    return vih;
}

static DWORD bit_rate(DWORD image_bytes, REFERENCE_TIME time_per_frame)
{
    if (time_per_frame <= 0)
        return 0;
    auto bits = static_cast<ULONGLONG>(image_bytes) * 8 * UNITS / static_cast<ULONGLONG>(time_per_frame);
    return bits > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(bits);
}

VIDEOINFOHEADER make_yuy2_format(LONG width, LONG height, REFERENCE_TIME time_per_frame)
{
    auto vih = make_video_format(width, height, time_per_frame);
    vih.bmiHeader.biHeight = height;
    vih.bmiHeader.biBitCount = 16;
    vih.bmiHeader.biCompression = FOURCC_YUY2;
    vih.bmiHeader.biSizeImage = image_size(vih.bmiHeader);
    vih.dwBitRate = bit_rate(vih.bmiHeader.biSizeImage, time_per_frame);
    return vih;
}

VIDEOINFOHEADER make_rgb_format(LONG width, LONG height, WORD bits, REFERENCE_TIME time_per_frame)
{
    auto vih = make_video_format(width, height, time_per_frame);
    vih.bmiHeader.biHeight = height;
    vih.bmiHeader.biBitCount = bits;
    vih.bmiHeader.biCompression = BI_RGB;
    vih.bmiHeader.biSizeImage = image_size(vih.bmiHeader);
    vih.dwBitRate = bit_rate(vih.bmiHeader.biSizeImage, time_per_frame);
    return vih;
}

WAVEFORMATEX make_pcm_format(DWORD samples_per_second, WORD channels, WORD bits_per_sample)
{
    WAVEFORMATEX wfx {};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = channels;
    wfx.nSamplesPerSec = samples_per_second;
    wfx.wBitsPerSample = bits_per_sample;
    wfx.nBlockAlign = static_cast<WORD>(channels * ((bits_per_sample + 7) / 8));
    wfx.nAvgBytesPerSec = samples_per_second * wfx.nBlockAlign;
    wfx.cbSize = 0;
    return wfx;
}

}
