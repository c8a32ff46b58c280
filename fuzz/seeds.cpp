// fuzz_seeds <target> <folder>: writes the seed corpus of one fuzz target into
// <folder>. Seeds are well-formed files made by the program's own writers
// (archives, PNG, terrain, setups, packed states) plus hand-made edge cases.
// Nothing is read from outside, so the corpus is always reproducible.
#include <stdio.h>
#include <string.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/data_file.h"
#include "base/saf_archive.h"
#include "app/settings.h"
#include "fuzz_support.h"
#include "sim/packed_state.h"
#include "base/image.h"
#include "sim/setup.h"
#include "track/erode.h"
#include "track/terrain.h"

namespace {

using Seeds = std::vector<std::string>;

std::string bytes(const std::vector<unsigned char>& v) { return std::string(v.begin(), v.end()); }
std::string text(const char* s, size_t n) { return std::string(s, n); }

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

std::string gzip(const std::string& plain)
{
    z_stream z = {};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return "";
    gz_header header = {};
    header.name = (Bytef*)"member";
    header.extra = (Bytef*)"xy\2\0ab";
    header.extra_len = 6;
    header.hcrc = 1;
    deflateSetHeader(&z, &header);
    std::vector<unsigned char> out(deflateBound(&z, plain.size()) + 64);
    z.next_in = (Bytef*)plain.data();
    z.avail_in = (uInt)plain.size();
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return bytes(out);
}

Seeds saf_header()
{
    Seeds s = {"5 a\n-\nhello", "3 ../x\n-\nabc", "-\n", "99999999999 big\n-\n", "4 /abs\n-\nabcd",
               "4 a//b\n3 c\n-\nabcdxyz", "2 a\n-", "x a\n-\n", "-1 neg\n-\n", "0 \n-\n",
               std::string(1100, '7') + " long\n-\n", "2147483647 a\n2147483647 b\n-\n"};
    // A real archive made by the packer.
    std::string folder = fuzz_home() + "/pack";
    std::filesystem::create_directories(folder + "/tracks/x");
    fuzz_write_file(folder + "/tracks/x/tileinfo", std::string("texture sand.png\naddtile\n"));
    fuzz_write_file(folder + "/bikes.txt", std::string("crf250\n"));
    if (saf_pack(folder.c_str(), (fuzz_home() + "/packed.saf").c_str()))
        s.push_back(read_file(fuzz_home() + "/packed.saf"));
    return s;
}

Seeds gzip_seeds()
{
    std::string lines = "# comment\nline one\nline two with more text\n";
    std::string big(70000, 'a');
    std::string zipped = gzip(lines);
    Seeds s;
    for (char how : {'\0', '\1', '\2'}) {
        s.push_back(how + zipped);
        s.push_back(how + zipped.substr(0, zipped.size() / 2));  // cut short
    }
    s.push_back('\0' + gzip(""));
    s.push_back('\0' + gzip(big));
    s.push_back(std::string("\1") + "\x1f\x8b\x08\xff" + std::string(20, '\xff'));  // every flag set
    s.push_back(std::string("\0", 1) + "plain text, not compressed\n");
    return s;
}

// Four bytes of read order, then the text.
std::string reads(const char (&order)[5], const std::string& body) { return std::string(order, 4) + body; }

Seeds data_stream()
{
    return {reads("\0\0\0\0", "4 2.0 -10 100 :"),
            reads("\1\1\1\1", "[ 1 2 ] 0.5 3 1 @decal.png\n[ 4 5 ] 1 1 1 x.png\n"),
            reads("\2\4\6\7", "# comment\n  key value\n\n#\nnumber 12\n"),
            reads("\3\3\7\7", "0x1F 12 -2147483649 99999999999999999999"),
            reads("\0\1\2\3", "nan inf 1e999 -1e999 0x 1e"),
            reads("\5\5\5\5", "a\nb\r\nc"),
            reads("\4\4\4\4", std::string(3000, 'x') + "\n")};
}

Seeds command_line()
{
    auto args = [](std::initializer_list<const char*> list) {
        std::string s;
        for (const char* a : list) s += std::string(a) + '\0';
        if (!s.empty()) s.pop_back();
        return s;
    };
    return {args({"--debug", "--width", "800", "--height=600", "demo.dem"}),
            args({"--lod-scale", "abc", "--erode", "nan", "--fake-lag", "1e308"}),
            args({"--connect", "rutwise:host:1234", "--password", ""}),
            args({"--chase-center", "1,2,3", "--chase-center", "x"}),
            args({"--bikes", "4", "--", "--weird-file", "second"}),
            args({"--texture-detail=-9", "--roostfrequency", "99999999999", "--lock-fps", "-inf"}),
            args({"--track"}), args({""})};
}

Seeds key_names()
{
    return {"Left Ctrl", "0x1ff", "0x200", "Up", "Num 5", "Mouse Left", "joystick 1 button 3",
            "Joystick 99 axis 7+", "a", "", std::string(300, 'k'), text("\x1d\x11\0\0", 4),
            text("\xff\xff\xff\x7f", 4), text("\x01\x20\0\0", 4)};
}

Seeds setup_file()
{
    Seeds s = {"bike=crf250\nname=Ace\nnumber=1234\nfork_preload_adjustment=1e30\n",
               "stability=nan\nstability=-inf\nstability=3.5\nfront_brake=antilock\n",
               "no equals sign\n=value\nkey=\nname=" + std::string(3000, 'n') + "\nnumber=7\n",
               "rider_texture=@../../etc/passwd\r\nbike=yz250f\r\n"};
    // The default setup as the program writes it.
    RiderSetup defaults;
    setup_init_defaults(&defaults);
    std::string path = fuzz_home() + "/default_setup";
    if (DataStream* out = open_data_file(path.c_str(), "w")) {
        bool ok = setup_write(&defaults, out);
        close_data_file(out);
        if (ok) s.push_back(read_file(path));
    }
    return s;
}

// The default settings file as the program writes it, and copies with every
// value replaced by a hostile one.
Seeds settings_file()
{
    Seeds s = {"xres=-5\nmap_scale=nan\nunknown=1\n=\n\n", "bike=crf250\nname=" + std::string(2000, 'x') + "\n"};
    Settings* defaults = new Settings;
    settings_set_defaults(defaults);
    std::string path = fuzz_home() + "/default_config";
    DataStream* out = open_data_file(path.c_str(), "w");
    bool ok = out && settings_write_stream(defaults, out);
    close_data_file(out);
    delete defaults;
    if (!ok) return s;
    std::string file = read_file(path);
    s.push_back(file);
    for (const char* value : {"nan", "-99999999999", "", "1e40", "\x01\xff"}) {
        std::string changed;
        std::istringstream lines(file);
        for (std::string line; std::getline(lines, line);)
            changed += line.substr(0, line.find('=') + 1) + value + "\n";
        s.push_back(changed);
    }
    return s;
}

std::string packed(const rider_state_values& v, const packed_state_ranges& r)
{
    PackedRiderState p = packed_state_encode(&v, &r, nullptr);
    return std::string((const char*)p.bytes, PACKED_STATE_SIZE);
}

rider_state_values upright(double x, double y, double z)
{
    rider_state_values v = {};
    v.frame_position[0] = x, v.frame_position[1] = y, v.frame_position[2] = z;
    v.frame_quaternion[0] = 1;
    v.rider_offset[1] = 2.52f, v.rider_offset[2] = 0.52f;
    v.rider_quaternion[0] = 1;
    v.controls = packed_controls_encode(1, 0, 0.5f, 0);
    v.engine_rpm = 5000;
    return v;
}

Seeds packed_state()
{
    const packed_state_ranges r = {256, 0, 0.53f, 1.0f};
    return {packed(upright(100, 10, 100), r), std::string(PACKED_STATE_SIZE, '\0'),
            std::string(PACKED_STATE_SIZE, '\xff')};
}

Seeds replay()
{
    const packed_state_ranges r = {2048, -64, 0.5303f, 1.0f};
    std::string a = packed(upright(500, -60, 700), r), b = packed(upright(501, -60, 700), r);
    rider_state_values crashed = upright(500, -62, 700);
    crashed.controls = packed_controls_encode(0, 0, 0, 90);
    std::string c = packed(crashed, r), zero(PACKED_STATE_SIZE, '\0'), ones(PACKED_STATE_SIZE, '\xff');
    return {a + a + b + text("\xff\0\1", 3), a + a + b + text("\x10\2\4", 3), c + a + c + text("\0\4\0", 3),
            zero + zero + zero + text("\xff\0\0", 3), ones + ones + ones + text("\xff\1\x80", 3),
            a + zero + ones + text("\x80\3\xff", 3)};
}

Seeds tileinfo()
{
    std::string full =
        "name sand\ntexture @tracks/x/sand.png\nfriction 1.0 2\nfriction 0.5 4\nslip_function 1\n"
        "roll_resist 2 4 10\nroll_resist 6 12 20\n"
        "roost count=2 slow_angle=1 fast_angle=0.5 size=0.2 grow=1 colour=200,180,120,255 fade_a=-512\n"
        "roost splash=1 count=x\n"
        "erode_depth 2\nerode_lower 40\nerode_limit 0.5 0.1 0.2\nerode_limit 1 0.9 0.8\nerode_front_scale 3\n"
        "addtile\ntexture grass.png\r\nfriction nan 3\nfriction -1 2000000\naddtile\n";
    std::string many;
    for (int i = 0; i < 260; i++) many += "texture t" + std::to_string(i) + ".png\naddtile\n";
    return {'\0' + full, '\2' + full, '\0' + many, '\1' + std::string("sand.png\n0.5 3 9 grass.png\nnan 1 1 x\n"),
            '\3' + std::string("1e40 -1e40 1 huge.png\n\n\t\n"), '\0' + std::string("bogus 1 2\nerode_limit 1 2\n")};
}

Seeds terrain()
{
    const std::string marker = "\n==\n";
    Seeds s;
    // A small generated ground, saved by the program's own writer.
    Terrain* t = terrain_create(2, 2.0f, 5.0f);
    if (!t) return s;
    terrain_set_height(t, 2, 2, 9.0f);
    Decal d{};
    d.x = 3, d.z = 4, d.size = 2, d.aspect = 1, d.texture_name = "decal.png";
    t->decals.push_back(d);
    std::string folder = fuzz_home() + "/ground";
    std::filesystem::create_directories(folder);
    bool saved = save_terrain(t, folder.c_str());
    terrain_free(t);
    if (!saved) return s;
    auto file = [&](const char* name) { return read_file(folder + "/" + name); };
    std::string tileinfo_text = "texture sand.png\naddtile\ntexture grass.png\naddtile\n";
    std::string hf = file("terrain.hf"), shading = file("shadingx2.ppm"), tilemap = file("tilemap"),
                decals = file("decals"), png = file("terrain.png");
    std::string shadows = "P2 5 5 255\n" + std::string("0 64 128 192 255\n") + "0 0 0 0 0\n0 0 0 0 0\n0 0 0 0 0\n9 9 9 9 9\n";
    s.push_back(hf + marker + shading + marker + shadows + marker + tileinfo_text + marker + tilemap + marker +
                decals + marker + png);
    // The heights from terrain.png instead of after ":".
    std::string header = hf.substr(0, hf.find(':'));
    s.push_back(header + marker + shading + marker + marker + tileinfo_text + marker + tilemap + marker + decals +
                marker + png + marker + marker + "normal");
    // The older surface list, no decals, short tile map.
    s.push_back(hf + marker + shading + marker + marker + marker + tilemap.substr(0, 3) + marker + marker + marker +
                "sand.png\n0.5 3 9 grass.png\n");
    s.push_back("2 nan 0 1 :" + marker + shading);
    s.push_back("7 1e30 -1e30 1e30 :" + marker);
    s.push_back("-3 1 0 1 :" + marker);
    return s;
}

Seeds image()
{
    Seeds s;
    std::vector<unsigned char> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9}, out;
    if (encode_png(rgb.data(), 2, 2, 3, false, &out)) s.push_back(bytes(out));
    if (encode_png(rgb.data(), 3, 1, 4, false, &out)) s.push_back(bytes(out));
    if (encode_png(rgb.data(), 4, 3, 1, true, &out)) s.push_back(bytes(out));
    std::vector<uint16_t> grey = {0, 1000, 65535, 300};
    if (encode_png_grey16(grey.data(), 2, 2, &out)) s.push_back(bytes(out));
    s.push_back("P6 2 1 255\n" + std::string("\xff\0\0\0\xff\0", 6));
    s.push_back("P3\n# comment\n2 1\n65535\n65535 0 0 0 0 65535\n");
    s.push_back("P5 2 2 15\n" + std::string("\0\5\12\17", 4));
    s.push_back("P2 1 1 0\n0\n");
    s.push_back("P6 16384 16384 255\n");
    // Predictive images: every byte is the difference from its prediction.
    s.push_back("J6 2 2\n" + std::string("\x10\x20\x30\x01\x01\x01\x02\x02\x02\x00\x00\x00", 12));
    s.push_back("J7\n# comment\n1 2\n" + std::string("\xff\x00\x00\x80\x01\x01\x01\x01", 8));
    s.push_back("J7 0 0\n");
    s.push_back("J6 99999 99999\n");
    return s;
}

Seeds model()
{
    std::string triangle = "3 1\n0 0 0  0 0 1  0 0\n1 0 0  0 0 1  1 0\n0 1 0  0 0 1  0 1\n0 1 2\n";
    return {triangle,
            "JM1\n16 1 0.5 0.5 0.5 " + triangle + "-1 1 1 1 1 " + triangle,
            "JM2 2 pair\n16 1 1 1 1 3 1\n1 0 0  1 0 0  0 0  1 0\n2 0 0  1 0 0  1 0  1 1\n1 1 0  1 0 0  0 1  0 1\n0 1 2\n",
            "JM2 5 skeleton\n16 1 1 1 1 4 2\n0 0 0 0 0 1 0 0  1 2 3 4 5\n1 0 0 0 0 1 1 0  5 4 3 2 1\n"
            "0 1 0 0 0 1 0 1  0 0 0 0 0\n1 1 1 0 0 1 0 1  3e38 3e38 0 0 0\n0 1 2\n0 0 3\n",
            "JM1\n16 1 1 1 1 3 2\n0 0 0 0 0 1 0 0\n0 0 0 0 0 1 0 0\n1 1 1 nan 0 1 0 0\n0 1 2\n0 1 7\n",
            "JM2 33 x\n16 1 1 1 1 0 0\n", "JM1\n16 1 1 1 1 99999999 99999999\n"};
}

Seeds shape()
{
    return {"2\n0 3 4 1\n0.8 500 20\n-1 0 0 0.5\n1.2 900 30\n", "1\n", "1\n0 0 0 1\n0.8 500\n",
            "2\n0 0 0 1 0.8 500 20\n", "-1\n", "1\n1e38 1e38 1e38 1e38 1 1 1\n", "1\n0 0 0 -1 1 1 1\n",
            "999999999\n0 0 0 1 1 1 1\n"};
}

// Texture files: "tex1" loaded, "tex2" and "tex3" for links to name.
Seeds texture()
{
    const std::string marker = "\n==\n";
    std::vector<unsigned char> rgb(4 * 4 * 3, 90), png;
    Seeds s;
    if (!encode_png(rgb.data(), 4, 4, 3, false, &png)) return s;
    std::string j7 = "J7 2 2\n" + std::string("\x0a\x00\x00\xff", 4) + std::string(12, '\0') + "\n";
    s.push_back(bytes(png));
    s.push_back("LINK @tex2" + marker + bytes(png));
    s.push_back("LINK @tex2" + marker + "LINK @tex3" + marker + "LINK @tex1");
    s.push_back("LINK @tex1");
    s.push_back("LINK   \n");
    s.push_back("ANIM1\n3 3 2 0\n0 1 2\n" + j7 + j7 + j7);
    s.push_back("ANIM1 3 4 2 1 2 1 0 1\n" + j7 + j7 + j7);
    s.push_back("ANIM1 2 2 1 1 0 1\n" + j7);
    s.push_back("ANIM1 1 1 1 1 0\nGIF x\n");
    s.push_back("ANIM1 99999 99999 1 1 0\n");
    s.push_back("P3 1 1 255\n1 2 3\n");
    return s;
}

Seeds timing_gates()
{
    const std::string gates =
        "checkpoints:\n5 [10 0 0] [1 0 0]\n5 [20 0 0] [1 0 0]\n5 [30 0 0] [1 0 0]\n5 [40 0 0] [1 0 0]\n"
        "firstlap:\n0 1 2 3\nnormallap:\n0 1 2 3\n";
    return {
        "startinggate:\n[100 5 200] 0\n[110 5 200] 0.5 @gate.jm\n[120 5 200] 7 @gate.jm @gate.png @gate.shp\n" + gates,
        gates,
        "checkpoints:\n5 [10 0 0] [1 0 0]\nfirstlap:\n-4 1 9 100001 100009 2\nnormallap:\n0 100000 0 0\n",
        "checkpoints:\n5 [10 0 0] [1 0 0]\nfirstlap:\n0 0 0\nnormallap:\n0 0\n",
        "startinggate:\n[1 2 inf] 0\n",
    };
}

Seeds statues()
{
    return {
        "[1 0 2] 0 @a.jm @a.ppm @a.shp\n[3 0.5 4] 1.5 @b.jm null @xmissing.shp\n[7 0 8] 4 @d.jm @d.ppm @d.shp\n",
        "[10 0 10] -7 null null @s.shp\n[10 0 10] 0.3 null null @s.shp\n[1e30 0 -1e30] 0 a b c\n",
        "[5 0 nan] 0 @c.jm @c.ppm @c.shp\n",
    };
}

Seeds lighting()
{
    return {
        "sun_vector [ 0.3 0.8 0.2 ]\nsun_color [ 1 0.95 0.9 ]\nambient [ 0.4 0.4 0.45 ]\n"
        "global_ambient [ 0.25 0.25 0.28 ]\nsky_n @sky-n.ppm\nfog [ 0.74 0.80 0.88 ] 0.00028\n"
        "near_plane 0.25\nfar_plane 6000\ndynamic_lighting 0\n"
        "flare_element [ 1 0 ] [ 1 0.95 0.8 ] 0.35 @flare/glow.png\nflare_vector [ 0.3 0.8 0.2 ]\n",
        "far_plane 1\nnear_plane 2\nsun_vector [ 0 0 0 ]\n",
        "ambient [ 0.1 0.1 0.1 ]\nsunshine 7\nfog [ 1 1 1 ] 0.5\n",
    };
}

// Records made by the packer on the 64 ft ground the target digs into, plus
// cut, retyped and over-long ones.
Seeds erode_record()
{
    auto pack = [](const std::vector<ErodePoint>& points) {
        uint8_t out[ERODE_RECORD_MAX];
        const int bytes = erode_pack(points.data(), (int)points.size(), 64.0f, out);
        return std::string((const char*)out, (size_t)bytes);
    };
    std::vector<ErodePoint> line, edge;
    for (int i = 0; i < ERODE_PATH_POINTS; i++) line.push_back({10 + 0.7f * i, 30 + 0.2f * i, 0.8f, -0.3f, 1 + i % 15});
    for (int i = 0; i < 8; i++) edge.push_back({-3.0f + i, 63.5f + 0.5f * i, 0, 0, 15});
    const std::string one = pack({{32, 32, 0.9f, 0, 4}}), full = pack(line);
    std::string retyped = one;
    retyped[0] = 2;
    return {one, full, pack(edge), full + "\x01\x02", one.substr(0, 16), retyped, std::string(17, '\xff')};
}

struct Target {
    const char* name;
    Seeds (*seeds)();
};

const Target TARGETS[] = {
    {"saf_header", saf_header}, {"gzip", gzip_seeds},       {"data_stream", data_stream},
    {"command_line", command_line}, {"settings_file", settings_file}, {"key_names", key_names}, {"setup_file", setup_file},
    {"replay", replay},         {"packed_state", packed_state}, {"tileinfo", tileinfo},
    {"terrain", terrain},       {"image", image}, {"texture", texture}, {"model", model}, {"shape", shape},
    {"timing_gates", timing_gates}, {"statues", statues}, {"lighting", lighting},
    {"erode_record", erode_record},
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: fuzz_seeds <target> <folder>\n");
        return 2;
    }
    for (const Target& t : TARGETS) {
        if (strcmp(t.name, argv[1]) != 0) continue;
        std::filesystem::create_directories(argv[2]);
        Seeds seeds = t.seeds();
        for (size_t i = 0; i < seeds.size(); i++) {
            char name[32];
            snprintf(name, sizeof name, "/seed%02zu", i);
            if (!fuzz_write_file(argv[2] + std::string(name), seeds[i])) {
                fprintf(stderr, "fuzz_seeds: cannot write %s%s\n", argv[2], name);
                return 1;
            }
        }
        if (seeds.empty()) {
            fprintf(stderr, "fuzz_seeds: no seeds for %s\n", argv[1]);
            return 1;
        }
        return 0;
    }
    fprintf(stderr, "fuzz_seeds: unknown target '%s'\n", argv[1]);
    return 2;
}
