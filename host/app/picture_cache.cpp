#include "picture_cache.h"

#include "exr_io.h"
#include "file_io.h"

#include <stb/stb_image.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

namespace quiltra {
namespace {

// A decoded picture with the bytes it came from (to tell apart files whose hashes agree) and
// what it counts for in the total, which it gives back when the last map lets go of it.
struct Kept {
    Picture picture;
    std::vector<std::uint8_t> bytes;
    long long cost = 0;
    ~Kept();
};

std::atomic<long long> keptBytes(0);
std::atomic<long long> decoded(0);
std::atomic<long long> limit(kMaxDecodedPictureBytes);

Kept::~Kept() { keptBytes -= cost; }

// FNV-1a over the bytes: the first look; equal bytes decide.
std::uint64_t HashOf(const std::vector<std::uint8_t>& bytes)
{
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

typedef std::tuple<std::uint64_t, size_t, bool> Key; // hash, length, linear

std::mutex& CacheLock()
{
    static std::mutex lock;
    return lock;
}

std::multimap<Key, std::weak_ptr<const Kept>>& Cache()
{
    static std::multimap<Key, std::weak_ptr<const Kept>> cache;
    return cache;
}

// What a picture of these bytes takes once decoded: four codes per pixel, 8 or 16 bits each
// (its tables of values are small beside them), or four halves or floats for OpenEXR; 0 when
// the header does not read (the decoder then says why).
long long CostOf(const std::vector<std::uint8_t>& bytes)
{
    if (IsExr(bytes)) return ExrPictureBytes(bytes);
    if (bytes.size() > (size_t)0x7fffffff) return 0;
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), (int)bytes.size(), &width, &height, &channels))
        return 0;
    const bool wide = stbi_is_16_bit_from_memory(bytes.data(), (int)bytes.size()) != 0;
    return (long long)width * height * (wide ? 8 : 4);
}

std::string Mebibytes(long long bytes)
{
    return std::to_string((bytes + (1ll << 20) - 1) >> 20) + " MiB";
}

} // namespace

std::shared_ptr<const Picture> SharedPicture(const std::vector<std::uint8_t>& bytes, bool linear,
                                             const std::string& name)
{
    const Key key(HashOf(bytes), bytes.size(), linear);
    std::lock_guard<std::mutex> hold(CacheLock());
    auto& cache = Cache();
    auto range = cache.equal_range(key);
    for (auto it = range.first; it != range.second;) {
        std::shared_ptr<const Kept> kept = it->second.lock();
        if (!kept) {
            it = cache.erase(it);
            continue;
        }
        if (kept->bytes == bytes) return std::shared_ptr<const Picture>(kept, &kept->picture);
        ++it;
    }

    const long long cost = CostOf(bytes);
    const long long already = keptBytes.load();
    const long long most = limit.load();
    if (cost > 0 && already + cost > most)
        throw InputError(name + ": decoded, this picture would take " + Mebibytes(cost) +
                         " beside the " + Mebibytes(already) +
                         " that the pictures already read take; all together may take at most " +
                         Mebibytes(most));
    auto kept = std::make_shared<Kept>();
    kept->picture = DecodePicture(bytes, linear, name);
    kept->bytes = bytes;
    kept->cost = cost;
    keptBytes += cost;
    ++decoded;
    cache.insert(std::make_pair(key, std::weak_ptr<const Kept>(kept)));
    return std::shared_ptr<const Picture>(kept, &kept->picture);
}

long long SetDecodedPictureLimit(long long bytes) { return limit.exchange(bytes); }

long long DecodedPictureBytes() { return keptBytes.load(); }
long long PicturesDecoded() { return decoded.load(); }

} // namespace quiltra
