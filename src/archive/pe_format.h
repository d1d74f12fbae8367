#pragma once

// The PE/COFF structures of 32-bit Windows libraries, by their published
// names and layouts. They are defined here because this code also builds where
// no Windows headers exist. All fields are little-endian as stored in a file;
// the structures are read with memcpy from byte offsets, never by casting.

#include <cstddef>
#include <cstdint>

namespace launcher::pe {

inline constexpr std::uint16_t IMAGE_DOS_SIGNATURE = 0x5A4D;    // "MZ"
inline constexpr std::uint32_t IMAGE_NT_SIGNATURE = 0x00004550; // "PE\0\0"
inline constexpr std::uint16_t IMAGE_NT_OPTIONAL_HDR32_MAGIC = 0x010B;
inline constexpr std::uint16_t IMAGE_FILE_MACHINE_I386 = 0x014C;
inline constexpr std::uint16_t IMAGE_FILE_RELOCS_STRIPPED = 0x0001;
inline constexpr std::uint16_t IMAGE_FILE_EXECUTABLE_IMAGE = 0x0002;
inline constexpr std::uint16_t IMAGE_FILE_32BIT_MACHINE = 0x0100;
inline constexpr std::uint16_t IMAGE_FILE_DLL = 0x2000;

inline constexpr std::size_t IMAGE_NUMBEROF_DIRECTORY_ENTRIES = 16;
inline constexpr std::size_t IMAGE_DIRECTORY_ENTRY_EXPORT = 0;
inline constexpr std::size_t IMAGE_DIRECTORY_ENTRY_IMPORT = 1;
inline constexpr std::size_t IMAGE_DIRECTORY_ENTRY_BASERELOC = 5;

inline constexpr std::size_t IMAGE_SIZEOF_SHORT_NAME = 8;

inline constexpr std::uint32_t IMAGE_SCN_CNT_CODE = 0x00000020;
inline constexpr std::uint32_t IMAGE_SCN_CNT_INITIALIZED_DATA = 0x00000040;
inline constexpr std::uint32_t IMAGE_SCN_CNT_UNINITIALIZED_DATA = 0x00000080;
inline constexpr std::uint32_t IMAGE_SCN_MEM_DISCARDABLE = 0x02000000;
inline constexpr std::uint32_t IMAGE_SCN_MEM_NOT_CACHED = 0x04000000;
inline constexpr std::uint32_t IMAGE_SCN_MEM_EXECUTE = 0x20000000;
inline constexpr std::uint32_t IMAGE_SCN_MEM_READ = 0x40000000;
inline constexpr std::uint32_t IMAGE_SCN_MEM_WRITE = 0x80000000;

inline constexpr std::uint16_t IMAGE_REL_BASED_ABSOLUTE = 0;
inline constexpr std::uint16_t IMAGE_REL_BASED_HIGHLOW = 3;

inline constexpr std::uint32_t IMAGE_ORDINAL_FLAG32 = 0x80000000;

inline constexpr std::uint32_t DLL_PROCESS_DETACH = 0;
inline constexpr std::uint32_t DLL_PROCESS_ATTACH = 1;

struct IMAGE_DOS_HEADER {
    std::uint16_t e_magic;
    std::uint16_t e_cblp;
    std::uint16_t e_cp;
    std::uint16_t e_crlc;
    std::uint16_t e_cparhdr;
    std::uint16_t e_minalloc;
    std::uint16_t e_maxalloc;
    std::uint16_t e_ss;
    std::uint16_t e_sp;
    std::uint16_t e_csum;
    std::uint16_t e_ip;
    std::uint16_t e_cs;
    std::uint16_t e_lfarlc;
    std::uint16_t e_ovno;
    std::uint16_t e_res[4];
    std::uint16_t e_oemid;
    std::uint16_t e_oeminfo;
    std::uint16_t e_res2[10];
    std::int32_t e_lfanew;
};

struct IMAGE_FILE_HEADER {
    std::uint16_t Machine;
    std::uint16_t NumberOfSections;
    std::uint32_t TimeDateStamp;
    std::uint32_t PointerToSymbolTable;
    std::uint32_t NumberOfSymbols;
    std::uint16_t SizeOfOptionalHeader;
    std::uint16_t Characteristics;
};

struct IMAGE_DATA_DIRECTORY {
    std::uint32_t VirtualAddress;
    std::uint32_t Size;
};

struct IMAGE_OPTIONAL_HEADER32 {
    std::uint16_t Magic;
    std::uint8_t MajorLinkerVersion;
    std::uint8_t MinorLinkerVersion;
    std::uint32_t SizeOfCode;
    std::uint32_t SizeOfInitializedData;
    std::uint32_t SizeOfUninitializedData;
    std::uint32_t AddressOfEntryPoint;
    std::uint32_t BaseOfCode;
    std::uint32_t BaseOfData;
    std::uint32_t ImageBase;
    std::uint32_t SectionAlignment;
    std::uint32_t FileAlignment;
    std::uint16_t MajorOperatingSystemVersion;
    std::uint16_t MinorOperatingSystemVersion;
    std::uint16_t MajorImageVersion;
    std::uint16_t MinorImageVersion;
    std::uint16_t MajorSubsystemVersion;
    std::uint16_t MinorSubsystemVersion;
    std::uint32_t Win32VersionValue;
    std::uint32_t SizeOfImage;
    std::uint32_t SizeOfHeaders;
    std::uint32_t CheckSum;
    std::uint16_t Subsystem;
    std::uint16_t DllCharacteristics;
    std::uint32_t SizeOfStackReserve;
    std::uint32_t SizeOfStackCommit;
    std::uint32_t SizeOfHeapReserve;
    std::uint32_t SizeOfHeapCommit;
    std::uint32_t LoaderFlags;
    std::uint32_t NumberOfRvaAndSizes;
    IMAGE_DATA_DIRECTORY DataDirectory[IMAGE_NUMBEROF_DIRECTORY_ENTRIES];
};

struct IMAGE_NT_HEADERS32 {
    std::uint32_t Signature;
    IMAGE_FILE_HEADER FileHeader;
    IMAGE_OPTIONAL_HEADER32 OptionalHeader;
};

struct IMAGE_SECTION_HEADER {
    std::uint8_t Name[IMAGE_SIZEOF_SHORT_NAME];
    union {
        std::uint32_t PhysicalAddress;
        std::uint32_t VirtualSize;
    } Misc;
    std::uint32_t VirtualAddress;
    std::uint32_t SizeOfRawData;
    std::uint32_t PointerToRawData;
    std::uint32_t PointerToRelocations;
    std::uint32_t PointerToLinenumbers;
    std::uint16_t NumberOfRelocations;
    std::uint16_t NumberOfLinenumbers;
    std::uint32_t Characteristics;
};

struct IMAGE_BASE_RELOCATION {
    std::uint32_t VirtualAddress;
    std::uint32_t SizeOfBlock;
    // Followed by (SizeOfBlock - 8) / 2 16-bit entries: type in the top 4
    // bits, offset within the block's page in the low 12 bits.
};

struct IMAGE_IMPORT_DESCRIPTOR {
    union {
        std::uint32_t Characteristics;
        std::uint32_t OriginalFirstThunk;
    };
    std::uint32_t TimeDateStamp;
    std::uint32_t ForwarderChain;
    std::uint32_t Name;
    std::uint32_t FirstThunk;
};

struct IMAGE_IMPORT_BY_NAME {
    std::uint16_t Hint;
    char Name[1];
};

struct IMAGE_EXPORT_DIRECTORY {
    std::uint32_t Characteristics;
    std::uint32_t TimeDateStamp;
    std::uint16_t MajorVersion;
    std::uint16_t MinorVersion;
    std::uint32_t Name;
    std::uint32_t Base;
    std::uint32_t NumberOfFunctions;
    std::uint32_t NumberOfNames;
    std::uint32_t AddressOfFunctions;
    std::uint32_t AddressOfNames;
    std::uint32_t AddressOfNameOrdinals;
};

// The published sizes; a mismatch would mean the compiler padded a structure.
static_assert(sizeof(IMAGE_DOS_HEADER) == 64);
static_assert(sizeof(IMAGE_FILE_HEADER) == 20);
static_assert(sizeof(IMAGE_DATA_DIRECTORY) == 8);
static_assert(sizeof(IMAGE_OPTIONAL_HEADER32) == 224);
static_assert(sizeof(IMAGE_NT_HEADERS32) == 248);
static_assert(sizeof(IMAGE_SECTION_HEADER) == 40);
static_assert(sizeof(IMAGE_BASE_RELOCATION) == 8);
static_assert(sizeof(IMAGE_IMPORT_DESCRIPTOR) == 20);
static_assert(sizeof(IMAGE_EXPORT_DIRECTORY) == 40);
static_assert(offsetof(IMAGE_NT_HEADERS32, OptionalHeader) == 24);

// Where the section table starts, relative to the NT headers.
constexpr std::size_t SectionTableOffset(const IMAGE_NT_HEADERS32& headers) {
    return offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + headers.FileHeader.SizeOfOptionalHeader;
}

} // namespace launcher::pe
