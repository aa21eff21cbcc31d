#include "catalogue/device_record.h"
#include "platform/text.h"

namespace burnmark {

namespace {

bool WordOffsetValid(std::size_t byteOffset) {
    return byteOffset % 2 == 0 && byteOffset + 1 < DeviceParamBlock::kAreaBytes;
}

}  // namespace

uint16_t DeviceParamBlock::Word(std::size_t byteOffset) const {
    if (!WordOffsetValid(byteOffset)) return 0;
    return static_cast<uint16_t>(bytes_[byteOffset] | (bytes_[byteOffset + 1] << 8));
}

void DeviceParamBlock::SetWord(std::size_t byteOffset, uint16_t value) {
    if (!WordOffsetValid(byteOffset)) return;
    bytes_[byteOffset] = static_cast<uint8_t>(value & 0xFF);
    bytes_[byteOffset + 1] = static_cast<uint8_t>(value >> 8);
}

DataWidth ClassifyDataWidth(std::string_view text, DataWidthSpellings spellings,
                            uint64_t sizeInAddresses) {
    if (text == "0xFFFF" || text == "0xffff") return DataWidth::Word16;
    if (text == "0x00FF" || text == "0x00ff") return DataWidth::Byte8;
    const bool mixed16 = text == "0xffFF" || text == "0xFFff";
    switch (spellings) {
    case DataWidthSpellings::Common:
        break;
    case DataWidthSpellings::Loader:
        if (mixed16 && sizeInAddresses >= 0x10000) return DataWidth::Word16;
        break;
    case DataWidthSpellings::MixedCase16:
        if (mixed16) return DataWidth::Word16;
        break;
    case DataWidthSpellings::Short8:
        if (text == "0xFF" || text == "0xff") return DataWidth::Byte8;
        break;
    }
    return DataWidth::Neither;
}

uint64_t DeviceSizeInAddresses(uint16_t maxHi, uint16_t maxLow, uint16_t extHi, uint16_t extLow) {
    // The programmer takes the size as the last main address plus the
    // extended pair plus one (the transfer size word carries it).
    return (uint64_t{maxHi} << 16) + maxLow + (uint64_t{extHi} << 16) + extLow + 1;
}

ExtAreaLayout ExtAreaLayoutOf(const DeviceParamBlock& block, DataWidth width) {
    const uint64_t unit = width == DataWidth::Word16 ? 2 : 1;
    const uint64_t mainAddresses =
        ((uint64_t{block.Word(param::max_address_Hi)} << 16) | block.Word(param::max_address_Low)) + 1;
    const uint64_t extAddresses =
        ((uint64_t{block.Word(param::ext_address_Hi)} << 16) | block.Word(param::ext_address_Low)) + 1;
    return ExtAreaLayout{mainAddresses * unit, extAddresses * unit};
}

DeviceSizes ComputeDeviceSizes(const DeviceParamBlock& block, std::string_view dataWidth) {
    DeviceSizes s;
    const uint16_t extHi = block.Word(param::ext_address_Hi);
    const uint16_t extLow = block.Word(param::ext_address_Low);
    s.size = DeviceSizeInAddresses(block.Word(param::max_address_Hi),
                                   block.Word(param::max_address_Low), extHi, extLow);
    s.hasExtArea = extHi != 0 || extLow != 0;
    s.transferSize = s.size < 0x10000 ? static_cast<uint16_t>(s.size) : 0;
    s.width = ClassifyDataWidth(dataWidth, DataWidthSpellings::Loader, s.size);
    if (s.width == DataWidth::Word16) {
        s.deviceBytes = s.size * 2;
        s.bufferBytes = s.size < 0x10000 ? 0x20000 : *s.deviceBytes;
    } else if (s.width == DataWidth::Byte8) {
        s.deviceBytes = s.size;
        s.bufferBytes = s.size < 0x10000 ? 0x10000 : *s.deviceBytes;
    }
    return s;
}

uint32_t ComputeStartAddress(uint16_t startHi, uint16_t startLow) {
    return (uint32_t{startHi} << 16) + startLow;
}

uint32_t ComputeFuseCount(uint16_t maxHi, uint16_t maxLow) {
    const unsigned shift = (unsigned{maxLow} + 16u) % 32u;
    return static_cast<uint32_t>(uint32_t{maxHi} << shift);
}

std::string BuildInfoText(std::string_view header, const std::array<std::string_view, 5>& lines) {
    std::string text(header);
    text += '\n';
    for (std::string_view line : lines) {
        if (line == "None") break;
        text += line;
        text += '\n';
    }
    return text;
}

uint8_t HexDigitValue(char c) {
    const int digit = HexDigit(c);
    return static_cast<uint8_t>(digit < 0 ? 0 : digit);
}

uint16_t FuseTypeDigit(std::string_view optionFuseType) {
    const std::size_t index = (optionFuseType.size() > 1 && optionFuseType[1] == 'x') ? 3 : 1;
    if (index >= optionFuseType.size()) return 0;
    return HexDigitValue(optionFuseType[index]);
}

}  // namespace burnmark
