#pragma once

// The media encoder's automation objects: an encoder that records a capture device's picture and
// a wave-in device's sound into an ASF file (WMV and WMA), as a program drives it.
//
// The program creates the encoder by class, then reaches everything else from it:
//
//     encoder            CoCreateInstance(CLSID_WMEncoder, ..., IID_IWMEncoder)
//       source groups      one group ("SG_1") made active, holding
//         sources            an audio source and maybe a video source, each given an input
//                            "DEVICE://<friendly name>" (or "DEVICE://Default_Audio_Device",
//                            "DEVICE://Default_Video_Device": the first device of its kind)
//         profile            one of the encoder's profiles (Profiles.h), which sets the streams
//       display info       title, author, copyright, rating, description of the file
//       attributes         more name/value texts stored in the file
//       file               the output file's local name
//       statistics         archived size and duration; the indexer's progress after a stop
//       preview            the video source's data views: a preview window (Preview.h)
//
// then PrepareToEncode(TRUE) (opens the devices, checks the profile, creates the file), Start
// (the devices run), Archive(1, 1) (writing begins) and later Stop (the file is completed; the
// run state becomes 5, and with auto-index on the indexer reports state 1 while it indexes and 2
// when it is done). A failure returns a failing HRESULT and leaves a description in the thread's
// error object (com/ErrorInfo.h).
//
// Methods sit in the interface tables at fixed positions, counted from 0 with IUnknown's three
// and IDispatch's four first; positions a program never calls are reserved and answer
// E_NOTIMPL. Late-bound calls (IDispatch::Invoke) are not offered. Booleans are automation
// booleans (VARIANT_TRUE -1, VARIANT_FALSE 0); any other value is E_INVALIDARG. Texts the
// program hands in as plain UTF-16 (group names, inputs, the file name) are read up to their
// terminator; display texts and attribute names are BSTRs.

#include <com/BStr.h>
#include <com/Dispatch.h>
#include <com/Variant.h>

DEFINE_GUID(CLSID_WMEncoder, 0x632B606A, 0xBBC6, 0x11D2, 0xA3, 0x29, 0x00, 0x60, 0x97, 0xC4, 0xE4, 0x76);
DEFINE_GUID(IID_IWMEncoder, 0x632B607F, 0xBBC6, 0x11D2, 0xA3, 0x29, 0x00, 0x60, 0x97, 0xC4, 0xE4, 0x76);
DEFINE_GUID(IID_IWMEncVideoSource, 0x632B6086, 0xBBC6, 0x11D2, 0xA3, 0x29, 0x00, 0x60, 0x97, 0xC4, 0xE4, 0x76);
DEFINE_GUID(IID_IWMEncFileArchiveStats, 0xB12B5B14, 0xF6D2, 0x4A47, 0xAA, 0xED, 0x63, 0x74, 0x98, 0xBD, 0x49, 0xD6);
DEFINE_GUID(IID_IWMEncIndexerStats, 0xC23F0A1E, 0x53DF, 0x4F6D, 0xB8, 0xF4, 0xEF, 0x32, 0x42, 0xD5, 0x35, 0xDE);
DEFINE_GUID(IID_IWMEncSourceGroupCollection, 0xB803397C, 0xB49E, 0x4AD9, 0xA7, 0x57, 0x0D, 0x05, 0x00, 0x28, 0x4A, 0x0F);
DEFINE_GUID(IID_IWMEncSourceGroup, 0x75CBEB14, 0xFE66, 0x4C2A, 0x8B, 0x6A, 0xBE, 0x88, 0x37, 0x24, 0x50, 0xFE);
DEFINE_GUID(IID_IWMEncSource, 0xB14F4F78, 0x4CCD, 0x4857, 0x98, 0x93, 0xCA, 0x6A, 0x9B, 0x28, 0x58, 0xF5);
DEFINE_GUID(IID_IWMEncDataViewCollection, 0x6BFADE0A, 0xE332, 0x4402, 0xAB, 0x53, 0x3E, 0x80, 0x63, 0x21, 0xA1, 0x3E);
DEFINE_GUID(IID_IWMEncProfileCollection, 0xDE4574BE, 0x182E, 0x44BB, 0x80, 0x9F, 0x5F, 0x3E, 0x8A, 0x91, 0x43, 0x86);
DEFINE_GUID(IID_IWMEncProfile, 0x37A9B3DA, 0x55FC, 0x419E, 0x93, 0x35, 0x6C, 0x49, 0xE8, 0x28, 0xC4, 0xE3);
DEFINE_GUID(IID_IWMEncDisplayInfo, 0x1B26CF9E, 0x83D1, 0x4EBE, 0xAD, 0x39, 0x9F, 0x64, 0xB7, 0xB0, 0xEF, 0xDC);
DEFINE_GUID(IID_IWMEncAttributes, 0x9B79EBD3, 0x1DB8, 0x48FF, 0x95, 0x0F, 0xFB, 0xA1, 0x52, 0xB5, 0x78, 0x63);
DEFINE_GUID(IID_IWMEncFile, 0x9E68636C, 0x99A5, 0x46AA, 0x89, 0x7C, 0x02, 0x9C, 0x97, 0xC3, 0xF1, 0xA1);
DEFINE_GUID(IID_IWMEncStatistics, 0x2D68D163, 0x0E81, 0x4FF5, 0xA0, 0x57, 0x9F, 0x67, 0xAC, 0x7A, 0x5B, 0x48);

// Source types.
constexpr LONG WMENC_AUDIO = 1;
constexpr LONG WMENC_VIDEO = 2;
// Run states.
constexpr LONG WMENC_ENCODER_STARTING = 1;
constexpr LONG WMENC_ENCODER_RUNNING = 2;
constexpr LONG WMENC_ENCODER_STOPPED = 5;
// Indexer states.
constexpr LONG WMENC_INDEXER_IDLE = 0;
constexpr LONG WMENC_INDEXER_RUNNING = 1;
constexpr LONG WMENC_INDEXER_FINISHED = 2;
// Archive: the file archive, and its operations.
constexpr LONG WMENC_ARCHIVE_LOCAL = 1;
constexpr LONG WMENC_ARCHIVE_START = 1;
constexpr LONG WMENC_ARCHIVE_STOP = 2;

#define WMENC_RESERVED(n) STDMETHOD(Reserved##n)() PURE

struct IWMEncSourceGroupCollection;
struct IWMEncSourceGroup;
struct IWMEncSource;
struct IWMEncDataViewCollection;
struct IWMEncProfileCollection;
struct IWMEncProfile;
struct IWMEncDisplayInfo;
struct IWMEncAttributes;
struct IWMEncFile;
struct IWMEncStatistics;

struct IWMEncoder : IDispatch {
    WMENC_RESERVED(7);
    WMENC_RESERVED(8);
    WMENC_RESERVED(9);
    // 10, 11: the devices run / stop; Stop also completes the file.
    STDMETHOD(Start)() PURE;
    STDMETHOD(Stop)() PURE;
    STDMETHOD(get_AutoStop)(VARIANT_BOOL* on) PURE;
    STDMETHOD(put_AutoStop)(VARIANT_BOOL on) PURE;
    WMENC_RESERVED(14);
    // 15: opens the devices and the file and checks the profile; TRUE keeps them ready for Start.
    STDMETHOD(PrepareToEncode)(VARIANT_BOOL prepare) PURE;
    WMENC_RESERVED(16);
    // 17: starts (1) or stops (2) writing the file archive (type 1).
    STDMETHOD(Archive)(LONG type, LONG operation) PURE;
    WMENC_RESERVED(18);
    STDMETHOD(get_EnableAutoArchive)(VARIANT_BOOL* on) PURE;
    STDMETHOD(put_EnableAutoArchive)(VARIANT_BOOL on) PURE;
    WMENC_RESERVED(21);
    WMENC_RESERVED(22);
    WMENC_RESERVED(23);
    WMENC_RESERVED(24);
    WMENC_RESERVED(25);
    STDMETHOD(get_SourceGroupCollection)(IWMEncSourceGroupCollection** groups) PURE;
    WMENC_RESERVED(27);
    WMENC_RESERVED(28);
    STDMETHOD(get_DisplayInfo)(IWMEncDisplayInfo** info) PURE;
    STDMETHOD(get_Attributes)(IWMEncAttributes** attributes) PURE;
    WMENC_RESERVED(31);
    STDMETHOD(get_File)(IWMEncFile** file) PURE;
    STDMETHOD(get_Statistics)(IWMEncStatistics** statistics) PURE;
    STDMETHOD(get_ProfileCollection)(IWMEncProfileCollection** profiles) PURE;
    STDMETHOD(get_RunState)(LONG* state) PURE;
    WMENC_RESERVED(36);
    WMENC_RESERVED(37);
    WMENC_RESERVED(38);
    WMENC_RESERVED(39);
    STDMETHOD(get_RemoteAdmin)(VARIANT_BOOL* on) PURE;
    STDMETHOD(put_RemoteAdmin)(VARIANT_BOOL on) PURE;
    WMENC_RESERVED(42);
    STDMETHOD(get_IndexerState)(LONG* state) PURE;
    STDMETHOD(get_AutoIndex)(VARIANT_BOOL* on) PURE;
    STDMETHOD(put_AutoIndex)(VARIANT_BOOL on) PURE;
};
COM_INTERFACE(IWMEncoder, IID_IWMEncoder, IDispatch);

struct IWMEncSourceGroupCollection : IDispatch {
    STDMETHOD(get_Count)(LONG* count) PURE;
    WMENC_RESERVED(8);
    STDMETHOD(Item)(LONG index, IWMEncSourceGroup** group) PURE;
    WMENC_RESERVED(10);
    // 11: a new group; a name already taken (case ignored) or empty is E_INVALIDARG.
    STDMETHOD(Add)(const OLECHAR* name, IWMEncSourceGroup** group) PURE;
    WMENC_RESERVED(12);
    WMENC_RESERVED(13);
    STDMETHOD(get_Active)(IWMEncSourceGroup** group) PURE;
    // 15: makes a group of this collection the one that is recorded.
    STDMETHOD(put_Active)(IWMEncSourceGroup* group) PURE;
};
COM_INTERFACE(IWMEncSourceGroupCollection, IID_IWMEncSourceGroupCollection, IDispatch);

struct IWMEncSourceGroup : IDispatch {
    STDMETHOD(get_Name)(BSTR* name) PURE;
    WMENC_RESERVED(8);
    STDMETHOD(get_SourceCount)(LONG type, SHORT* count) PURE;
    STDMETHOD(get_Source)(LONG type, SHORT index, IWMEncSource** source) PURE;
    // 11: a new source of the type; a group holds at most one of each.
    STDMETHOD(AddSource)(LONG type, IWMEncSource** source) PURE;
    // 12: `index` is a VT_I2 (or VT_I4) variant.
    STDMETHOD(RemoveSource)(LONG type, VARIANT index) PURE;
    WMENC_RESERVED(13);
    // 14: `profile` is a VT_DISPATCH variant holding one of the encoder's profiles.
    STDMETHOD(put_Profile)(VARIANT profile) PURE;
};
COM_INTERFACE(IWMEncSourceGroup, IID_IWMEncSourceGroup, IDispatch);

struct IWMEncSource : IDispatch {
    STDMETHOD(get_Type)(LONG* type) PURE;
    // 8: "DEVICE://<name>"; E_INVALIDARG for another form, an unknown device or a non-empty
    // scheme or initialisation text.
    STDMETHOD(SetInput)(const OLECHAR* input, const OLECHAR* scheme, const OLECHAR* initialization) PURE;
    STDMETHOD(get_Input)(BSTR* input) PURE;
};
COM_INTERFACE(IWMEncSource, IID_IWMEncSource, IDispatch);

struct IWMEncVideoSource : IWMEncSource {
    WMENC_RESERVED(10);
    WMENC_RESERVED(11);
    WMENC_RESERVED(12);
    WMENC_RESERVED(13);
    WMENC_RESERVED(14);
    WMENC_RESERVED(15);
    WMENC_RESERVED(16);
    WMENC_RESERVED(17);
    WMENC_RESERVED(18);
    STDMETHOD(get_PreviewCollection)(IWMEncDataViewCollection** views) PURE;
};
COM_INTERFACE(IWMEncVideoSource, IID_IWMEncVideoSource, IWMEncSource);

struct IWMEncDataViewCollection : IDispatch {
    STDMETHOD(get_Count)(LONG* count) PURE;
    WMENC_RESERVED(8);
    WMENC_RESERVED(9);
    // 10: adds a preview view (Preview.h); the cookie names it in the view's calls.
    STDMETHOD(Add)(IUnknown* view, LONG* cookie) PURE;
    STDMETHOD(Remove)(LONG cookie) PURE;
};
COM_INTERFACE(IWMEncDataViewCollection, IID_IWMEncDataViewCollection, IDispatch);

struct IWMEncProfileCollection : IDispatch {
    WMENC_RESERVED(7);
    STDMETHOD(get_Count)(LONG* count) PURE;
    WMENC_RESERVED(9);
    WMENC_RESERVED(10);
    WMENC_RESERVED(11);
    STDMETHOD(Item)(LONG index, IWMEncProfile** profile) PURE;
};
COM_INTERFACE(IWMEncProfileCollection, IID_IWMEncProfileCollection, IDispatch);

struct IWMEncProfile : IDispatch {
    STDMETHOD(get_Name)(BSTR* name) PURE;
    STDMETHOD(get_Description)(BSTR* description) PURE;
    // 9: how many streams of the type (1 audio, 2 video) the profile records: 0 or 1.
    STDMETHOD(get_MediaCount)(LONG type, SHORT* count) PURE;
};
COM_INTERFACE(IWMEncProfile, IID_IWMEncProfile, IDispatch);

struct IWMEncDisplayInfo : IDispatch {
    STDMETHOD(get_Title)(BSTR* text) PURE;
    STDMETHOD(put_Title)(BSTR text) PURE;
    STDMETHOD(get_Author)(BSTR* text) PURE;
    STDMETHOD(put_Author)(BSTR text) PURE;
    STDMETHOD(get_Copyright)(BSTR* text) PURE;
    STDMETHOD(put_Copyright)(BSTR text) PURE;
    STDMETHOD(get_Rating)(BSTR* text) PURE;
    STDMETHOD(put_Rating)(BSTR text) PURE;
    STDMETHOD(get_Description)(BSTR* text) PURE;
    STDMETHOD(put_Description)(BSTR text) PURE;
};
COM_INTERFACE(IWMEncDisplayInfo, IID_IWMEncDisplayInfo, IDispatch);

struct IWMEncAttributes : IDispatch {
    STDMETHOD(get_Count)(LONG* count) PURE;
    WMENC_RESERVED(8);
    // 9: adds or replaces (name case ignored) a text; `value` must be VT_BSTR.
    STDMETHOD(Add)(BSTR name, VARIANT value) PURE;
    STDMETHOD(RemoveAll)() PURE;
};
COM_INTERFACE(IWMEncAttributes, IID_IWMEncAttributes, IDispatch);

struct IWMEncFile : IDispatch {
    STDMETHOD(get_LocalFileName)(BSTR* name) PURE;
    // 8: a Windows-form path, taken when the encoder prepares.
    STDMETHOD(put_LocalFileName)(const OLECHAR* name) PURE;
};
COM_INTERFACE(IWMEncFile, IID_IWMEncFile, IDispatch);

struct IWMEncStatistics : IDispatch {
    WMENC_RESERVED(7);
    WMENC_RESERVED(8);
    WMENC_RESERVED(9);
    WMENC_RESERVED(10);
    // 11: answers IWMEncFileArchiveStats.
    STDMETHOD(get_FileArchiveStats)(IDispatch** stats) PURE;
    WMENC_RESERVED(12);
    // 13: answers IWMEncIndexerStats.
    STDMETHOD(get_IndexerStats)(IDispatch** stats) PURE;
};
COM_INTERFACE(IWMEncStatistics, IID_IWMEncStatistics, IDispatch);

struct IWMEncFileArchiveStats : IDispatch {
    // Bytes and milliseconds archived in the current (or last) file; they keep their last values
    // after Stop.
    STDMETHOD(get_FileSize)(LONG* bytes) PURE;
    STDMETHOD(get_FileDuration)(LONG* milliseconds) PURE;
};
COM_INTERFACE(IWMEncFileArchiveStats, IID_IWMEncFileArchiveStats, IDispatch);

struct IWMEncIndexerStats : IDispatch {
    // Files being indexed now (0 or 1), and how far the current one is, in percent.
    STDMETHOD(get_FileCount)(LONG* count) PURE;
    WMENC_RESERVED(8);
    STDMETHOD(get_PercentComplete)(LONG* percent) PURE;
};
COM_INTERFACE(IWMEncIndexerStats, IID_IWMEncIndexerStats, IDispatch);

namespace wmenc {

// Registers the encoder, preview view and profile manager classes with com (start-up and tests;
// calling again is harmless).
void register_classes();

}
