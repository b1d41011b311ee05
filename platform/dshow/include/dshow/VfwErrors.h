#pragma once

// The HRESULTs of the media graph (the public VFW_* values) and the graph event codes (EC_*).
//
// Success codes (VFW_S_*) are warnings: SUCCEEDED() holds for them, so callers that need to tell
// them apart compare the value, as the preview code does with VFW_S_NOPREVIEWPIN.

#include <base/Errors.h>

constexpr HRESULT VFW_E_INVALIDMEDIATYPE = static_cast<HRESULT>(0x80040200u);
constexpr HRESULT VFW_E_INVALIDSUBTYPE = static_cast<HRESULT>(0x80040201u);
constexpr HRESULT VFW_E_NEED_OWNER = static_cast<HRESULT>(0x80040202u);
constexpr HRESULT VFW_E_ENUM_OUT_OF_SYNC = static_cast<HRESULT>(0x80040203u);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = static_cast<HRESULT>(0x80040204u);
constexpr HRESULT VFW_E_FILTER_ACTIVE = static_cast<HRESULT>(0x80040205u);
constexpr HRESULT VFW_E_NO_TYPES = static_cast<HRESULT>(0x80040206u);
constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = static_cast<HRESULT>(0x80040207u);
constexpr HRESULT VFW_E_INVALID_DIRECTION = static_cast<HRESULT>(0x80040208u);
constexpr HRESULT VFW_E_NOT_CONNECTED = static_cast<HRESULT>(0x80040209u);
constexpr HRESULT VFW_E_NO_ALLOCATOR = static_cast<HRESULT>(0x8004020Au);
constexpr HRESULT VFW_E_RUNTIME_ERROR = static_cast<HRESULT>(0x8004020Bu);
constexpr HRESULT VFW_E_NO_CLOCK = static_cast<HRESULT>(0x80040213u);
constexpr HRESULT VFW_E_NO_SINK = static_cast<HRESULT>(0x80040214u);
constexpr HRESULT VFW_E_NO_INTERFACE = static_cast<HRESULT>(0x80040215u);
constexpr HRESULT VFW_E_NOT_FOUND = static_cast<HRESULT>(0x80040216u);
constexpr HRESULT VFW_E_CANNOT_CONNECT = static_cast<HRESULT>(0x80040217u);
constexpr HRESULT VFW_E_CANNOT_RENDER = static_cast<HRESULT>(0x80040218u);
constexpr HRESULT VFW_E_CHANGING_FORMAT = static_cast<HRESULT>(0x80040219u);
constexpr HRESULT VFW_E_STATE_CHANGED = static_cast<HRESULT>(0x80040223u);
constexpr HRESULT VFW_E_NOT_STOPPED = static_cast<HRESULT>(0x80040224u);
constexpr HRESULT VFW_E_NOT_PAUSED = static_cast<HRESULT>(0x80040225u);
constexpr HRESULT VFW_E_NOT_RUNNING = static_cast<HRESULT>(0x80040226u);
constexpr HRESULT VFW_E_WRONG_STATE = static_cast<HRESULT>(0x80040227u);
constexpr HRESULT VFW_E_START_TIME_AFTER_END = static_cast<HRESULT>(0x80040228u);
constexpr HRESULT VFW_E_INVALID_RECT = static_cast<HRESULT>(0x80040229u);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = static_cast<HRESULT>(0x8004022Au);
constexpr HRESULT VFW_E_SAMPLE_REJECTED = static_cast<HRESULT>(0x8004022Bu);
constexpr HRESULT VFW_E_SAMPLE_REJECTED_EOS = static_cast<HRESULT>(0x8004022Cu);
constexpr HRESULT VFW_E_DUPLICATE_NAME = static_cast<HRESULT>(0x8004022Du);
constexpr HRESULT VFW_S_DUPLICATE_NAME = static_cast<HRESULT>(0x0004022Du);
constexpr HRESULT VFW_E_TIMEOUT = static_cast<HRESULT>(0x8004022Eu);
constexpr HRESULT VFW_E_INVALID_FILE_FORMAT = static_cast<HRESULT>(0x8004022Fu);
constexpr HRESULT VFW_E_ENUM_OUT_OF_RANGE = static_cast<HRESULT>(0x80040230u);
constexpr HRESULT VFW_E_CIRCULAR_GRAPH = static_cast<HRESULT>(0x80040231u);
constexpr HRESULT VFW_E_NOT_ALLOWED_TO_SAVE = static_cast<HRESULT>(0x80040232u);
constexpr HRESULT VFW_E_CORRUPT_GRAPH_FILE = static_cast<HRESULT>(0x80040235u);
constexpr HRESULT VFW_S_STATE_INTERMEDIATE = static_cast<HRESULT>(0x00040237u);
constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = static_cast<HRESULT>(0x80040240u);
constexpr HRESULT VFW_E_CANNOT_LOAD_SOURCE_FILTER = static_cast<HRESULT>(0x80040241u);
constexpr HRESULT VFW_S_PARTIAL_RENDER = static_cast<HRESULT>(0x00040242u);
constexpr HRESULT VFW_E_FILE_TOO_SHORT = static_cast<HRESULT>(0x80040243u);
constexpr HRESULT VFW_E_INVALID_MEDIA_TYPE = static_cast<HRESULT>(0x80040248u);
constexpr HRESULT VFW_E_NO_DECOMPRESSOR = static_cast<HRESULT>(0x80040255u);
constexpr HRESULT VFW_E_NO_AUDIO_HARDWARE = static_cast<HRESULT>(0x80040256u);
constexpr HRESULT VFW_S_VIDEO_NOT_RENDERED = static_cast<HRESULT>(0x00040257u);
constexpr HRESULT VFW_S_AUDIO_NOT_RENDERED = static_cast<HRESULT>(0x00040258u);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = static_cast<HRESULT>(0x8004025Fu);
constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = static_cast<HRESULT>(0x80040265u);
constexpr HRESULT VFW_E_NO_TRANSPORT = static_cast<HRESULT>(0x80040266u);
constexpr HRESULT VFW_S_STREAM_OFF = static_cast<HRESULT>(0x00040267u);
constexpr HRESULT VFW_E_NO_CAPTURE_HARDWARE = static_cast<HRESULT>(0x80040275u);
constexpr HRESULT VFW_S_NOPREVIEWPIN = static_cast<HRESULT>(0x0004027Eu);

// Graph events (IMediaEvent::GetEvent codes).
constexpr LONG EC_COMPLETE = 0x01;
constexpr LONG EC_USERABORT = 0x02;
constexpr LONG EC_ERRORABORT = 0x03;
constexpr LONG EC_TIME = 0x04;
constexpr LONG EC_REPAINT = 0x05;
constexpr LONG EC_STREAM_ERROR_STOPPED = 0x06;
constexpr LONG EC_STREAM_ERROR_STILLPLAYING = 0x07;
constexpr LONG EC_ERROR_STILLPLAYING = 0x08;
constexpr LONG EC_VIDEO_SIZE_CHANGED = 0x0A;
constexpr LONG EC_QUALITY_CHANGE = 0x0B;
constexpr LONG EC_SHUTTING_DOWN = 0x0C;
constexpr LONG EC_CLOCK_CHANGED = 0x0D;
constexpr LONG EC_PAUSED = 0x0E;
constexpr LONG EC_WINDOW_DESTROYED = 0x15;
constexpr LONG EC_DEVICE_LOST = 0x1F;
