#include "FlashObjects.h"

#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <stdexcept>

namespace quillon::sim {

namespace {

struct ElfCloser {
    void operator()(Elf* elf) const { elf_end(elf); }
};

} // namespace

FlashObjects::FlashObjects(const std::string& elfPath) {
    if (elf_version(EV_CURRENT) == EV_NONE) {
        throw std::runtime_error("libelf is out of date");
    }
    const int fd = open(elfPath.c_str(), O_RDONLY);
    if (fd < 0) {
        throw std::runtime_error("cannot open " + elfPath);
    }
    std::unique_ptr<Elf, ElfCloser> elf(elf_begin(fd, ELF_C_READ, nullptr));
    std::size_t namesIndex = 0;
    if (!elf || elf_getshdrstrndx(elf.get(), &namesIndex) != 0) {
        close(fd);
        throw std::runtime_error(elfPath + " is not an ELF file");
    }

    std::map<std::string, std::uint32_t> markers;
    Elf_Scn* section = nullptr;
    while ((section = elf_nextscn(elf.get(), section)) != nullptr) {
        GElf_Shdr header;
        if (gelf_getshdr(section, &header) == nullptr || header.sh_type != SHT_SYMTAB) {
            continue;
        }
        Elf_Data* data = elf_getdata(section, nullptr);
        const std::size_t count = header.sh_entsize != 0 ? header.sh_size / header.sh_entsize : 0;
        for (std::size_t i = 0; i < count; ++i) {
            GElf_Sym symbol;
            if (gelf_getsym(data, static_cast<int>(i), &symbol) == nullptr) {
                continue;
            }
            const char* name = elf_strptr(elf.get(), header.sh_link, symbol.st_name);
            if (name == nullptr) {
                continue;
            }
            const auto value = static_cast<std::uint32_t>(symbol.st_value);
            markers[name] = value;
            if (GELF_ST_TYPE(symbol.st_info) != STT_OBJECT || symbol.st_size == 0 ||
                symbol.st_shndx == SHN_UNDEF || symbol.st_shndx >= SHN_LORESERVE) {
                continue;
            }
            // Constants kept in flash land in .text; everything in RAM has its own sections.
            GElf_Shdr home;
            Elf_Scn* homeSection = elf_getscn(elf.get(), symbol.st_shndx);
            if (homeSection == nullptr || gelf_getshdr(homeSection, &home) == nullptr) {
                continue;
            }
            const char* homeName = elf_strptr(elf.get(), namesIndex, home.sh_name);
            if (homeName != nullptr && std::string(homeName) == ".text") {
                objects_.push_back({name, value, static_cast<std::uint32_t>(symbol.st_size)});
            }
        }
    }
    elf.reset();
    close(fd);

    // The start-up code copies initialised RAM from this image with flash reads of its own.
    const auto start = markers.find("__data_load_start");
    const auto end = markers.find("__data_load_end");
    if (start != markers.end() && end != markers.end() && end->second > start->second) {
        objects_.push_back({".data image", start->second, end->second - start->second});
    }
}

const FlashObject* FlashObjects::find(std::uint32_t address) const {
    for (const FlashObject& object : objects_) {
        if (object.holds(address)) {
            return &object;
        }
    }
    return nullptr;
}

} // namespace quillon::sim
