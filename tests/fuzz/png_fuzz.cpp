// libFuzzer entry for the PNG decoder: any input is either decoded into a picture of the size its header
// gives, or refused with a reason. Crashes, leaks and sanitizer reports are the fuzzer's findings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/png.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string why;
    const auto picture = vr::png::decode({data, size}, &why);
    if (picture) {
        if (picture->width == 0 || picture->height == 0 || picture->width > vr::png::kMaxSide ||
            picture->height > vr::png::kMaxSide ||
            picture->rgba.size() != std::size_t(picture->width) * picture->height * 4)
            std::abort();
        if (vr::png::premultipliedBgra(*picture).size() != picture->rgba.size()) std::abort();
    } else if (why.empty()) {
        std::abort();  // every refusal says why
    }
    return 0;
}
