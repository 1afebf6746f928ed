#include "platform/linux/storage_records.h"

#include <algorithm>

#include "platform/ata_serial.h"

namespace cendrix::platform::linux_backend {

namespace {

bool Blank(char c) { return c == ' ' || c == '\0'; }

std::string TrimBlanks(std::string text) {
    while (!text.empty() && Blank(text.back())) text.pop_back();
    const auto first = std::find_if_not(text.begin(), text.end(), Blank);
    text.erase(text.begin(), first);
    return text;
}

}  // namespace

std::string IdentifyText(const std::uint8_t* identify, int firstWord, int words) {
    std::string text;
    for (int w = firstWord; w < firstWord + words; ++w) {
        text.push_back(static_cast<char>(identify[2 * w + 1]));
        text.push_back(static_cast<char>(identify[2 * w]));
    }
    return TrimBlanks(std::move(text));
}

void RestoreIdentifyTextOrder(std::uint8_t* identify) {
    // Serial (words 10-19), firmware (23-26) and model (27-46).
    for (int w = 10; w <= 46; ++w) {
        if (w >= 20 && w <= 22) continue;
        std::swap(identify[2 * w], identify[2 * w + 1]);
    }
}

DeviceTexts TextsFromIdentify(const std::uint8_t* identify) {
    DeviceTexts texts;
    texts.product = IdentifyText(identify, 27, 20);
    texts.revision = IdentifyText(identify, 23, 4);
    texts.serial = EncodeSerialAtaOrder(IdentifyText(identify, 10, 10));
    return texts;
}

}  // namespace cendrix::platform::linux_backend
