#pragma once

// SMediaIn, a recording target: an object that takes the capture device's picture and sound
// and writes them to one output file through an outside encoder, showing its own preview
// meanwhile. The capture engine holds at most one, while it records; the client reads its path
// and file name for the status line and the file properties.
//
// Construction creates the output file (emptying one that exists) and closes it again at once;
// IsUsable() says whether that worked. A path of 260 bytes or more is refused: the target is
// unusable, nothing is created, and GetPath() gives the path cut to 259 bytes. Targets report
// failures to the user through ReportError().
//
//     SMediaIn* target = new WMFileIn(path, ...);
//     if (!target->IsUsable())
//         complain(target->GetPath());
//     target->Start();
//     ...
//     target->Stop();
//     delete target;

#include <base/Errors.h>
#include <base/Types.h>

class SMediaIn {
public:
    explicit SMediaIn(const char* path);

    SMediaIn(const SMediaIn&) = delete;
    SMediaIn& operator=(const SMediaIn&) = delete;

    // Whether the output file could be created.
    virtual bool IsUsable() const;
    // Starts recording; true on success.
    virtual bool Start() = 0;
    virtual bool Stop() = 0;
    // Bytes written so far; -1 when not known.
    virtual LONG GetFileSize() = 0;
    // Seconds recorded so far; -1 when not known.
    virtual LONG GetElapsed() = 0;
    // Sizes the preview to its window (after the window was resized).
    virtual void FitPreview();
    // Preview on or off.
    virtual void ShowPreview(bool on) = 0;
    // The output path as given.
    virtual const char* GetPath() const;
    // The part of the path after the last `\`; the whole path when it has none.
    virtual const char* GetFileName() const;
    // Sets a text attribute of the recording (title, description, ...); false when not kept.
    virtual bool SetAttribute(const char* name, const char* value);
    // Preview full screen (true) or in its window.
    virtual void SetFullScreen(bool on);
    // Shows `message` in a stop box captioned "Orbivane", with, when `code` is not 0, its
    // return-code line.
    virtual void ReportError(const char* message, HRESULT code);

    // Owners delete a target through this interface.
    virtual ~SMediaIn();

protected:
    char m_path[260] {};
    char m_fileName[260] {};
    BYTE m_usable { 0 };
    BYTE m_fullScreen { 0 }; // kept by subclasses in SetFullScreen
};
