#include "scene_description.h"

#include "file_io.h"
#include "ivorlith.h"

#include <host/scene_file.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <set>

namespace quiltra {

using Json = nlohmann::json;

// ---- blend-mode names --------------------------------------------------------------------------

static bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i])) return false;
    return true;
}

int BlendModeIndexOf(const std::vector<std::string>& modeNames, const std::string& name)
{
    for (size_t i = 0; i < modeNames.size(); ++i)
        if (SameIgnoringCase(name, modeNames[i])) return (int)i;
    return -1;
}

// ---- reading with paths ------------------------------------------------------------------------

namespace {

const size_t kMaxLayers = 4096; // layers of one texture

std::string Describe(const Json& j)
{
    switch (j.type()) {
    case Json::value_t::null:
        return "null";
    case Json::value_t::boolean:
        return "a boolean";
    case Json::value_t::string:
        return "a string";
    case Json::value_t::array:
        return "an array";
    case Json::value_t::object:
        return "an object";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return "a number";
    default:
        return "an unexpected value";
    }
}

// A value as it appears in a message: scalars as written (long strings shortened), containers
// by kind only (dumping an arbitrarily deep container would recurse without bound).
std::string Show(const Json& j)
{
    if (!j.is_primitive()) return Describe(j);
    std::string s = j.dump();
    if (s.size() > 60) s = s.substr(0, 57) + "...";
    return s;
}

std::string Join(const std::string& path, const std::string& key)
{
    return path.empty() ? key : path + "." + key;
}

std::string Index(const std::string& path, size_t i)
{
    return path + "[" + std::to_string(i) + "]";
}

class Reader {
public:
    Reader(std::string fileName, const std::vector<std::string>& modeNames)
        : file_(std::move(fileName)), folder_(DirectoryOf(file_)), modes_(modeNames)
    { }

    [[noreturn]] void Fail(const std::string& path, const std::string& what) const
    {
        throw InputError(file_ + ": " + (path.empty() ? std::string("(top level)") : path) + ": " +
                         what);
    }

    StackDescription Stack(const Json& j, const std::string& path, int depth);

private:
    // Keys of one object, each consumed at most once; Finish reports the keys nobody read.
    class Object {
    public:
        Object(const Reader& r, const Json& j, std::string path)
            : r_(r), j_(j), path_(std::move(path))
        {
            if (!j.is_object()) r_.Fail(path_, "expected an object, found " + Describe(j));
        }
        const Json* Take(const char* key)
        {
            known_.push_back(key);
            auto it = j_.find(key);
            if (it == j_.end()) return nullptr;
            return &*it;
        }
        std::string PathOf(const char* key) const { return Join(path_, key); }
        void Finish() const
        {
            for (auto it = j_.begin(); it != j_.end(); ++it) {
                bool read = false;
                for (const char* k : known_)
                    read = read || it.key() == k;
                if (!read) {
                    std::string list;
                    for (const char* k : known_)
                        list += (list.empty() ? "" : ", ") + std::string(k);
                    r_.Fail(Join(path_, it.key()),
                            "unknown key \"" + it.key() + "\" (this object takes: " + list + ")");
                }
            }
        }

    private:
        const Reader& r_;
        const Json& j_;
        std::string path_;
        std::vector<const char*> known_;
    };

    bool Bool(const Json& j, const std::string& path) const
    {
        if (!j.is_boolean()) Fail(path, "expected true or false, found " + Describe(j));
        return j.get<bool>();
    }

    // Numbers are read as double and rounded to float once.
    float Number(const Json& j, const std::string& path) const
    {
        if (!j.is_number()) Fail(path, "expected a number, found " + Describe(j));
        double d = j.get<double>();
        if (!std::isfinite(d) || std::fabs(d) > (double)FLT_MAX)
            Fail(path, "number out of range for a float");
        return (float)d;
    }

    int Integer(const Json& j, const std::string& path) const
    {
        if (!j.is_number()) Fail(path, "expected an integer, found " + Describe(j));
        double d = j.get<double>();
        if (j.is_number_float() && d != std::floor(d))
            Fail(path, "expected an integer, found " + Show(j));
        if (j.is_number_unsigned() ? j.get<std::uint64_t>() > (std::uint64_t)INT_MAX
                                   : (d < (double)INT_MIN || d > (double)INT_MAX))
            Fail(path, "integer out of range: " + Show(j));
        return (int)d;
    }

    float PositiveNumber(const Json& j, const std::string& path) const
    {
        float f = Number(j, path);
        if (!(f > 0.0f)) Fail(path, "expected a number above 0, found " + Show(j));
        return f;
    }

    template <size_t N>
    std::array<float, N> Vector(const Json& j, const std::string& path, const char* what) const
    {
        if (!j.is_array() || j.size() != N)
            Fail(path,
                 std::string("expected ") + what + ", found " +
                     (j.is_array() ? "an array of " + std::to_string(j.size()) : Describe(j)));
        std::array<float, N> v;
        for (size_t i = 0; i < N; ++i)
            v[i] = Number(j[i], Index(path, i));
        return v;
    }

    // [r, g, b] or [r, g, b, a]; alpha 1 when left out.
    Rgba Color4(const Json& j, const std::string& path) const
    {
        if (!j.is_array() || (j.size() != 3 && j.size() != 4))
            Fail(path,
                 "expected a colour [r, g, b] or [r, g, b, a], found " +
                     (j.is_array() ? "an array of " + std::to_string(j.size()) : Describe(j)));
        Rgba c {0.0f, 0.0f, 0.0f, 1.0f};
        for (size_t i = 0; i < j.size(); ++i)
            c[i] = Number(j[i], Index(path, i));
        return c;
    }

    int Mode(const Json& j, const std::string& path) const
    {
        if (j.is_string()) {
            std::string name = j.get<std::string>();
            int index = BlendModeIndexOf(modes_, name);
            if (index < 0) {
                std::string list;
                for (const std::string& known : modes_)
                    list += (list.empty() ? "" : ", ") + known;
                Fail(path, "unknown blend mode \"" + name + "\" (known: " + list + ")");
            }
            return index;
        }
        if (j.is_number()) return Integer(j, path);
        Fail(path, "expected a blend-mode name or index, found " + Describe(j));
    }

    // A layer's blend space: "linear" or "display".
    int Space(const Json& j, const std::string& path) const
    {
        if (j.is_string()) {
            const std::string name = j.get<std::string>();
            if (name == "linear") return VORLITH_SPACE_LINEAR;
            if (name == "display") return VORLITH_SPACE_DISPLAY;
        }
        Fail(path, "expected a blend space, \"linear\" or \"display\", found " + Describe(j));
    }

    std::unique_ptr<SubmapDescription> Submap(const Json& j, const std::string& path, int depth);
    LayerDescription Layer(const Json& j, const std::string& path, int depth);
    OutputDescription Output(const Json& j, const std::string& path);
    void ReadBitmap(Object& o, const std::string& path, PictureParams& p);

    std::string file_, folder_;
    const std::vector<std::string>& modes_;
    unsigned long textures_ = 1; // read so far, the scene's own included: what one sample
                                 // evaluates, as a description shares nothing
};

// The bitmap's file, relative to the scene's folder, read whole.
void Reader::ReadBitmap(Object& o, const std::string& path, PictureParams& p)
{
    const Json* v = o.Take("file");
    if (!v) Fail(path, "bitmap without \"file\"");
    if (!v->is_string() || v->get<std::string>().empty())
        Fail(o.PathOf("file"), "expected a file name, found " + Show(*v));
    const std::string name = v->get<std::string>();
    p.file = ResolveRelativeTo(folder_, name);
    PathKind kind = KindOfPath(p.file);
    if (kind == PathKind::Missing)
        Fail(o.PathOf("file"), "bitmap \"" + name + "\" not found (looked for " + p.file + ")");
    if (kind != PathKind::File) Fail(o.PathOf("file"), "bitmap \"" + name + "\" " + NotAFile(kind));
    try {
        p.image = ReadFileBytes(p.file);
    } catch (const InputError& e) {
        Fail(o.PathOf("file"), e.what());
    }
}

std::unique_ptr<SubmapDescription> Reader::Submap(const Json& j, const std::string& path, int depth)
{
    if (j.is_null()) return nullptr;
    Object o(*this, j, path);
    const Json* type = o.Take("type");
    if (!type)
        Fail(path,
             "sub-map without \"type\" (constant, checker, gradient, noise, bitmap or layers)");
    if (!type->is_string()) Fail(o.PathOf("type"), "expected a string, found " + Describe(*type));
    std::string t = type->get<std::string>();
    // The same limits as saved scenes: textures nest at most so deep, and one sample evaluates
    // at most so many (each texture once, as a description shares none).
    if (depth + 1 > host::kMaxTextureNesting)
        Fail(path,
             "textures nested deeper than " + std::to_string(host::kMaxTextureNesting) + " levels");
    if (++textures_ > host::kMaxTextureEvaluations)
        Fail(path,
             "one sample would evaluate more than " + std::to_string(host::kMaxTextureEvaluations) +
                 " textures");

    auto m = std::make_unique<SubmapDescription>();
    m->where = path;
    PictureParams& p = m->params;
    if (t == "constant") {
        m->kind = PictureKind::Constant;
        if (const Json* v = o.Take("color")) p.color = Color4(*v, o.PathOf("color"));
        if (const Json* v = o.Take("perturb"))
            p.perturb = Vector<3>(*v, o.PathOf("perturb"), "a vector [x, y, z]");
    } else if (t == "checker" || t == "noise") {
        m->kind = t == "checker" ? PictureKind::Checker : PictureKind::Noise;
        if (const Json* v = o.Take("color1")) p.color1 = Color4(*v, o.PathOf("color1"));
        if (const Json* v = o.Take("color2")) p.color2 = Color4(*v, o.PathOf("color2"));
        if (const Json* v = o.Take("scale")) p.scale = PositiveNumber(*v, o.PathOf("scale"));
        if (const Json* v = o.Take("bump")) p.bump = Number(*v, o.PathOf("bump"));
        if (m->kind == PictureKind::Noise) {
            if (const Json* v = o.Take("octaves")) {
                p.octaves = Integer(*v, o.PathOf("octaves"));
                if (p.octaves < 1 || p.octaves > 8)
                    Fail(o.PathOf("octaves"), "expected 1 to 8 octaves, found " + Show(*v));
            }
            if (const Json* v = o.Take("seed")) p.seed = Integer(*v, o.PathOf("seed"));
        }
    } else if (t == "gradient") {
        m->kind = PictureKind::Gradient;
        if (const Json* v = o.Take("colors")) {
            std::string cp = o.PathOf("colors");
            if (!v->is_array() || v->size() < 2 || v->size() > kMaxGradientStops)
                Fail(cp,
                     "expected an array of 2 to " + std::to_string(kMaxGradientStops) +
                         " colours, found " +
                         (v->is_array() ? "an array of " + std::to_string(v->size())
                                        : Describe(*v)));
            p.stops.clear();
            for (size_t i = 0; i < v->size(); ++i)
                p.stops.push_back(Color4((*v)[i], Index(cp, i)));
        }
        if (const Json* v = o.Take("direction")) {
            std::string d = v->is_string() ? v->get<std::string>() : std::string();
            if (d == "u")
                p.direction = 0;
            else if (d == "v")
                p.direction = 1;
            else if (d == "radial")
                p.direction = 2;
            else
                Fail(o.PathOf("direction"),
                     "expected \"u\", \"v\" or \"radial\", found " + Show(*v));
        }
        if (const Json* v = o.Take("bump")) p.bump = Number(*v, o.PathOf("bump"));
    } else if (t == "bitmap") {
        m->kind = PictureKind::Bitmap;
        ReadBitmap(o, path, p);
        if (const Json* l = o.Take("linear")) p.linear = Bool(*l, o.PathOf("linear"));
        if (const Json* b = o.Take("bump")) p.bump = Number(*b, o.PathOf("bump"));
    } else if (t == "layers") {
        o.Take("layers");
        o.Take("output");
        m->stack = std::make_unique<StackDescription>(Stack(j, path, depth + 1));
    } else {
        Fail(o.PathOf("type"),
             "unknown sub-map type \"" + t +
                 "\" (constant, checker, gradient, noise, bitmap or layers)");
    }
    o.Finish();
    return m;
}

LayerDescription Reader::Layer(const Json& j, const std::string& path, int depth)
{
    Object o(*this, j, path);
    LayerDescription l;
    if (const Json* v = o.Take("map")) l.map = Submap(*v, o.PathOf("map"), depth);
    if (const Json* v = o.Take("mask")) l.mask = Submap(*v, o.PathOf("mask"), depth);
    if (const Json* v = o.Take("mapEnabled")) l.mapEnabled = Bool(*v, o.PathOf("mapEnabled"));
    if (const Json* v = o.Take("maskEnabled")) l.maskEnabled = Bool(*v, o.PathOf("maskEnabled"));
    if (const Json* v = o.Take("mapUsed")) l.mapUsed = Bool(*v, o.PathOf("mapUsed"));
    if (const Json* v = o.Take("opacity")) l.opacity = Number(*v, o.PathOf("opacity"));
    if (const Json* v = o.Take("color"))
        l.color = Vector<3>(*v, o.PathOf("color"), "a colour [r, g, b]");
    if (const Json* v = o.Take("mode")) l.mode = Mode(*v, o.PathOf("mode"));
    if (const Json* v = o.Take("space")) l.space = Space(*v, o.PathOf("space"));
    o.Finish();
    return l;
}

OutputDescription Reader::Output(const Json& j, const std::string& path)
{
    Object o(*this, j, path);
    OutputDescription out;
    if (const Json* v = o.Take("on")) out.on = Bool(*v, o.PathOf("on"));
    if (const Json* v = o.Take("hsv")) out.hsv = Vector<3>(*v, o.PathOf("hsv"), "[h, s, v]");
    if (const Json* v = o.Take("rgb")) out.rgb = Vector<3>(*v, o.PathOf("rgb"), "[r, g, b]");
    if (const Json* v = o.Take("alpha")) out.alpha = Number(*v, o.PathOf("alpha"));
    // The editor shows brightness and contrast in percent; the texture holds factors.
    if (const Json* v = o.Take("bright")) out.bright = Number(*v, o.PathOf("bright")) * 0.01f;
    if (const Json* v = o.Take("contrast")) out.contrast = Number(*v, o.PathOf("contrast")) * 0.01f;
    if (const Json* v = o.Take("gamma")) {
        out.gamma = Number(*v, o.PathOf("gamma"));
        // The texture keeps gamma at its lowest gamma or above; below that the curve divides by
        // zero or flips the colour, so a scene may not ask for it either.
        if (!(*out.gamma >= VORLITH_MIN_OUTPUT_GAMMA))
            Fail(o.PathOf("gamma"), "gamma must be 0.001 or more, found " + Show(*v));
    }
    if (const Json* v = o.Take("mono")) out.mono = Bool(*v, o.PathOf("mono"));
    if (const Json* v = o.Take("clamp")) out.clamp = Bool(*v, o.PathOf("clamp"));
    o.Finish();
    return out;
}

StackDescription Reader::Stack(const Json& j, const std::string& path, int depth)
{
    Object o(*this, j, path);
    if (depth > 0) o.Take("type"); // a nested texture's "type", read by Submap
    StackDescription s;
    const Json* layers = o.Take("layers");
    if (!layers) Fail(path, "no \"layers\": a layered texture needs at least one layer");
    std::string lp = o.PathOf("layers");
    if (!layers->is_array()) Fail(lp, "expected an array of layers, found " + Describe(*layers));
    if (layers->empty()) Fail(lp, "a layered texture needs at least one layer");
    if (layers->size() > kMaxLayers)
        Fail(lp, "more than " + std::to_string(kMaxLayers) + " layers");
    for (size_t i = 0; i < layers->size(); ++i)
        s.layers.push_back(Layer((*layers)[i], Index(lp, i), depth));
    if (const Json* v = o.Take("output")) s.output = Output(*v, o.PathOf("output"));
    o.Finish();
    return s;
}

// Counts what a scene text describes as it is read, building nothing, so that a scene beyond
// the limits is refused where it crosses them, before its tree takes memory: textures (a
// sub-map is an object with a "type"; one sample may evaluate at most so many) and arrays
// longer than any a scene holds. Malformed text ends the count quietly: the parse that
// follows names the fault.
class SceneCounter : public nlohmann::json_sax<Json> {
public:
    explicit SceneCounter(const std::string& fileName) : file_(fileName) { }

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool start_object(std::size_t) override
    {
        frames_.push_back(Frame {true, 0, ""});
        return true;
    }
    bool key(string_t& key) override
    {
        frames_.back().key = key;
        if (key == "type" && ++textures_ > host::kMaxTextureEvaluations)
            Refuse(PathHere(1),
                   "one sample would evaluate more than " +
                       std::to_string(host::kMaxTextureEvaluations) + " textures");
        return true;
    }
    bool end_object() override { return End(); }
    bool start_array(std::size_t) override
    {
        frames_.push_back(Frame {false, 0, ""});
        return true;
    }
    bool end_array() override { return End(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override
    {
        return false;
    }

private:
    struct Frame {
        bool object;
        size_t index;
        std::string key;
    };
    [[noreturn]] void Refuse(const std::string& path, const std::string& what) const
    {
        throw InputError(file_ + ": " + (path.empty() ? std::string("(top level)") : path) + ": " +
                         what);
    }
    bool End()
    {
        frames_.pop_back();
        return Value();
    }
    // One more element of the array being read, if it is one.
    bool Value()
    {
        if (frames_.empty() || frames_.back().object) return true;
        if (frames_.back().index >= kLongestArray) {
            const bool layers = frames_.size() > 1 && frames_[frames_.size() - 2].object &&
                frames_[frames_.size() - 2].key == "layers";
            if (layers) Refuse(PathHere(1), "more than " + std::to_string(kMaxLayers) + " layers");
            Refuse(PathHere(),
                   "an array of more than " + std::to_string(kLongestArray) +
                       " values, more than any scene holds");
        }
        ++frames_.back().index;
        return true;
    }
    // The path of the value being read, less its last `up` steps.
    std::string PathHere(size_t up = 0) const
    {
        std::string p;
        for (size_t i = 0; i + up < frames_.size(); ++i) {
            const Frame& f = frames_[i];
            p = f.object ? Join(p, f.key) : Index(p, f.index);
        }
        return p;
    }
    static const size_t kLongestArray =
        kMaxLayers > kMaxGradientStops ? kMaxLayers : kMaxGradientStops;
    std::string file_;
    std::vector<Frame> frames_;
    unsigned long textures_ = 1; // the scene's own
};

// Finds the first key that appears twice in one object, with its JSON path. nlohmann keeps the
// last of duplicated keys silently; a scene that says a thing twice is a mistake worth naming.
class DuplicateKeyFinder {
public:
    bool operator()(int, Json::parse_event_t event, Json& parsed)
    {
        using E = Json::parse_event_t;
        switch (event) {
        case E::object_start:
            frames_.push_back(Frame {true, 0, "", {}});
            break;
        case E::array_start:
            frames_.push_back(Frame {false, 0, "", {}});
            break;
        case E::key:
            if (!frames_.empty()) {
                Frame& f = frames_.back();
                f.key = parsed.get<std::string>();
                if (!f.keys.insert(f.key).second && duplicate_.empty()) duplicate_ = PathHere();
            }
            break;
        case E::object_end:
        case E::array_end:
            if (!frames_.empty()) frames_.pop_back();
            ElementDone();
            break;
        case E::value:
            ElementDone();
            break;
        }
        return true;
    }
    const std::string& Duplicate() const { return duplicate_; }

private:
    struct Frame {
        bool object;
        size_t index;
        std::string key;
        std::set<std::string> keys;
    };
    void ElementDone()
    {
        if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
    }
    std::string PathHere() const
    {
        std::string p;
        for (const Frame& f : frames_)
            p = f.object ? Join(p, f.key) : Index(p, f.index);
        return p;
    }
    std::vector<Frame> frames_;
    std::string duplicate_;
};

} // namespace

StackDescription ParseSceneJson(const std::string& text, const std::string& fileName,
                                const std::vector<std::string>& modeNames)
{
    SceneCounter counter(fileName);
    Json::sax_parse(text, &counter, Json::input_format_t::json, /*strict=*/true,
                    /*ignore_comments=*/true);
    Json j;
    DuplicateKeyFinder duplicates;
    try {
        j = Json::parse(text, std::ref(duplicates), /*allow_exceptions=*/true,
                        /*ignore_comments=*/true);
    } catch (const Json::parse_error& e) {
        // e.what() reads "[json.exception.parse_error.101] parse error at line L, column C: why".
        std::string why = e.what();
        size_t colon = why.find(": ");
        if (colon != std::string::npos) why = why.substr(colon + 2);
        std::string where;
        size_t at = std::string(e.what()).find(" at line ");
        if (at != std::string::npos) {
            std::string w = e.what();
            where = w.substr(at + 1, w.find(':', at) - at - 1) + ", ";
        }
        throw InputError(fileName + ": malformed JSON " + where + "byte " + std::to_string(e.byte) +
                         ": " + why);
    } catch (const Json::exception& e) {
        // Raised while parsing too: a number too large for a double ("1e400").
        std::string why = e.what();
        size_t bracket = why.find("] ");
        if (bracket != std::string::npos) why = why.substr(bracket + 2);
        throw InputError(fileName + ": malformed JSON: " + why);
    }
    if (!duplicates.Duplicate().empty())
        throw InputError(fileName + ": " + duplicates.Duplicate() + ": key given twice");
    Reader reader(fileName, modeNames);
    if (!j.is_object()) reader.Fail("", "expected an object with \"layers\", found " + Describe(j));
    return reader.Stack(j, "", 0);
}

StackDescription LoadSceneJson(const std::string& path, const std::vector<std::string>& modeNames)
{
    std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    return ParseSceneJson(std::string(bytes.begin(), bytes.end()), path, modeNames);
}

} // namespace quiltra
