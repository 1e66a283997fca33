#pragma once
// The person-information service of the municipality's population register
// (ЛБД): class CoPersonInfo with the interface IPersonInfo. The service is a
// shared object, libPersonInfo.so, that the program loads by file name; its
// one export creates a service object the way COM's CoCreateInstance does.
//
// IPersonInfo is laid out as a COM interface: a table of functions whose
// first three entries are those of IUnknown (QueryInterface, AddRef,
// Release), followed by the service's own two methods.
//
// Wide strings are zero-terminated UTF-16. An output string is allocated by
// the service with malloc and released by the caller with free; a null
// output string is an empty text.
#include <cstdint>
#include <cstring>

extern "C" {

struct PIGuid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

using PIResult = std::int32_t;
using PIWideChar = char16_t;

struct IPersonInfo;

struct IPersonInfoVtbl {
  // IUnknown
  PIResult (*QueryInterface)(IPersonInfo *self, const PIGuid *iid, void **object);
  std::uint32_t (*AddRef)(IPersonInfo *self);
  std::uint32_t (*Release)(IPersonInfo *self);
  // IPersonInfo
  // 0 when a person with this EGN exists; that person is then the current
  // one. Any other value: not found.
  PIResult (*FindByEGN)(IPersonInfo *self, const PIWideChar *egn);
  // The value of `key` for the current person into *value (the caller
  // frees it). The status is informative only.
  PIResult (*GetField)(IPersonInfo *self, const PIWideChar *key, PIWideChar **value);
};

struct IPersonInfo {
  const IPersonInfoVtbl *lpVtbl;
};

// Creates a service object: `clsid` must be CLSID_CoPersonInfo, `outer` null
// (no aggregation), `clsContext` any of the server contexts. On success
// *object holds a reference to the asked interface.
using PersonInfoCreateInstanceFn = PIResult (*)(const PIGuid *clsid, void *outer, std::uint32_t clsContext,
                                                const PIGuid *iid, void **object);

}  // extern "C"

inline bool operator==(const PIGuid &a, const PIGuid &b) { return std::memcmp(&a, &b, sizeof(PIGuid)) == 0; }

// {B8B2B5D9-D4BB-458D-861F-1136D00291A7}
inline constexpr PIGuid CLSID_CoPersonInfo = {0xB8B2B5D9, 0xD4BB, 0x458D,
                                              {0x86, 0x1F, 0x11, 0x36, 0xD0, 0x02, 0x91, 0xA7}};
// {5413B955-E58A-4939-A96D-D04B9CE5CD04}
inline constexpr PIGuid IID_IPersonInfo = {0x5413B955, 0xE58A, 0x4939,
                                           {0xA9, 0x6D, 0xD0, 0x4B, 0x9C, 0xE5, 0xCD, 0x04}};
// {00000000-0000-0000-C000-000000000046}
inline constexpr PIGuid IID_IUnknown = {0x00000000, 0x0000, 0x0000,
                                        {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

inline constexpr std::uint32_t CLSCTX_INPROC_SERVER = 0x1;
inline constexpr std::uint32_t CLSCTX_LOCAL_SERVER = 0x4;

inline constexpr PIResult PI_S_OK = 0;
inline constexpr PIResult PI_S_FALSE = 1;
inline constexpr PIResult PI_E_NOINTERFACE = static_cast<PIResult>(0x80004002u);
inline constexpr PIResult PI_E_POINTER = static_cast<PIResult>(0x80004003u);
inline constexpr PIResult PI_E_FAIL = static_cast<PIResult>(0x80004005u);
inline constexpr PIResult PI_E_INVALIDARG = static_cast<PIResult>(0x80070057u);
inline constexpr PIResult PI_CLASS_E_NOAGGREGATION = static_cast<PIResult>(0x80040110u);
inline constexpr PIResult PI_REGDB_E_CLASSNOTREG = static_cast<PIResult>(0x80040154u);
inline constexpr PIResult PI_CO_E_SERVER_EXEC_FAILURE = static_cast<PIResult>(0x80080005u);

// The file the program loads and the name of its export.
inline constexpr char kPersonInfoLibrary[] = "libPersonInfo.so";
inline constexpr char kPersonInfoCreateInstance[] = "PersonInfoCreateInstance";
