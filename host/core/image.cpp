// Pixel packing, palette quantisation and resampling.
#include "core/image.h"

#include <algorithm>
#include <map>

namespace quorvel_host {

std::uint16_t Pack_Pixel(Rgb c, std::int32_t pixel_depth) {
    if (pixel_depth == 15) return std::uint16_t((c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3));
    return std::uint16_t((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3));
}

Rgb Unpack_Pixel(std::uint16_t p, std::int32_t pixel_depth) {
    const auto five = [](unsigned v) { return std::uint8_t(v << 3 | v >> 2); };
    const auto six = [](unsigned v) { return std::uint8_t(v << 2 | v >> 4); };
    if (pixel_depth == 15) return {five(p >> 10 & 31), five(p >> 5 & 31), five(p & 31)};
    return {five(p >> 11 & 31), six(p >> 5 & 63), five(p & 31)};
}

Image Frame::To_Image() const {
    Image image(width, height);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const Rgb c = Unpack_Pixel(pixels[i], pixel_depth);
        image.pixels[i] = {c.r, c.g, c.b, 255};
    }
    return image;
}

bool Is_Power_Of_Two(std::int32_t value) { return value > 0 && (value & (value - 1)) == 0; }

namespace {

struct Colour_Count {
    std::uint32_t key;  // r << 16 | g << 8 | b
    std::uint32_t count;
    int Channel(int c) const { return int(key >> (16 - 8 * c) & 255); }
};

struct Box {
    std::size_t begin, end;  // range of the colour list
};

// The channel with the widest range in the box, and that range.
std::pair<int, int> Widest_Channel(const std::vector<Colour_Count>& colours, Box box) {
    int best_channel = 0, best_range = -1;
    for (int c = 0; c < 3; ++c) {
        int low = 255, high = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            low = std::min(low, colours[i].Channel(c));
            high = std::max(high, colours[i].Channel(c));
        }
        if (high - low > best_range) {
            best_range = high - low;
            best_channel = c;
        }
    }
    return {best_channel, best_range};
}

}  // namespace

Palette_Image Quantise(const Image& image) {
    Palette_Image result;
    result.width = image.width;
    result.height = image.height;
    result.indices.assign(image.pixels.size(), transparent_index);

    std::map<std::uint32_t, std::uint32_t> counts;  // ordered: the result never depends on hashing
    for (const Rgba& p : image.pixels) {
        if (p.a < 128) {
            result.has_transparent = true;
            continue;
        }
        ++counts[std::uint32_t(p.r) << 16 | std::uint32_t(p.g) << 8 | p.b];
    }
    std::vector<Colour_Count> colours;
    for (const auto& [key, count] : counts) colours.push_back({key, count});

    // Split the box with the widest channel range at its pixel-weighted
    // median until there are 255 boxes or nothing left to split.
    std::vector<Box> boxes;
    if (!colours.empty()) boxes.push_back({0, colours.size()});
    while (boxes.size() < 255) {
        int best = -1, best_range = 0, best_channel = 0;
        for (std::size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].end - boxes[b].begin < 2) continue;
            const auto [channel, range] = Widest_Channel(colours, boxes[b]);
            if (range > best_range) {
                best = int(b);
                best_range = range;
                best_channel = channel;
            }
        }
        if (best < 0) break;
        Box box = boxes[std::size_t(best)];
        std::stable_sort(
            colours.begin() + std::ptrdiff_t(box.begin), colours.begin() + std::ptrdiff_t(box.end),
            [c = best_channel](const Colour_Count& a, const Colour_Count& b) { return a.Channel(c) < b.Channel(c); });
        std::uint64_t total = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) total += colours[i].count;
        std::uint64_t running = 0;
        std::size_t split = box.begin + 1;
        for (std::size_t i = box.begin; i + 1 < box.end; ++i) {
            running += colours[i].count;
            split = i + 1;
            if (running * 2 >= total) break;
        }
        boxes[std::size_t(best)] = {box.begin, split};
        boxes.push_back({split, box.end});
    }

    std::map<std::uint32_t, std::uint8_t> index_of;
    for (std::size_t b = 0; b < boxes.size(); ++b) {
        std::uint64_t sum[3] = {}, total = 0;
        for (std::size_t i = boxes[b].begin; i < boxes[b].end; ++i) {
            for (int c = 0; c < 3; ++c) sum[c] += std::uint64_t(colours[i].Channel(c)) * colours[i].count;
            total += colours[i].count;
            index_of[colours[i].key] = std::uint8_t(b + 1);
        }
        result.palette[b + 1] = {std::uint8_t((sum[0] + total / 2) / total), std::uint8_t((sum[1] + total / 2) / total),
                                 std::uint8_t((sum[2] + total / 2) / total)};
    }
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const Rgba& p = image.pixels[i];
        if (p.a >= 128) result.indices[i] = index_of[std::uint32_t(p.r) << 16 | std::uint32_t(p.g) << 8 | p.b];
    }
    return result;
}

Image Resample_Power_Of_Two(const Image& image, std::int32_t largest) {
    const auto fit = [largest](std::int32_t size) {
        std::int32_t best = 1;
        while (best < largest && best * 2 <= size) best *= 2;
        // Round up instead when that is nearer.
        if (best < largest && size - best > best * 2 - size) best *= 2;
        return best;
    };
    const std::int32_t w = fit(image.width), h = fit(image.height);
    if (w == image.width && h == image.height) return image;
    Image result(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            result.At(x, y) = image.At(std::int32_t(std::int64_t(x) * image.width / w),
                                       std::int32_t(std::int64_t(y) * image.height / h));
    return result;
}

}  // namespace quorvel_host
