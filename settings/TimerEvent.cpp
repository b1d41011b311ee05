#include "TimerEvent.h"

const char* TimerActionText(LONG action)
{
    switch (action) {
    case TimerActionRecordTv:
        return "Record TV";
    case TimerActionRecordAudio:
        return "Record Audio";
    case TimerActionTvOn:
        return "TV on";
    case TimerActionAudioOn:
        return "Audio on";
    case TimerActionNone:
        return "no action";
    default:
        return "<undefined>";
    }
}
