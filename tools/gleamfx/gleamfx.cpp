// gleamfx's dispatcher and its small commands: list, info, convert, sample.
// The apply command lives in apply.cpp. Every failure becomes one line on
// stderr and a non-zero exit status; nothing here throws past RunGleamfx.
#include "tools/gleamfx/gleamfx.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <new>
#include <ostream>
#include <sstream>
#include <unistd.h>

#include "effects/registry.h"
#include "tools/gleamfx/batch.h"
#include "tools/gleamfx/depth_writer.h"
#include "tools/gleamfx/picture_files.h"
#include "tools/sample/sample_picture.h"

namespace gleamkit::tools {

namespace {

constexpr const char* kUsage =
    "usage: gleamfx list\n"
    "       gleamfx info FILE\n"
    "       gleamfx convert IN OUT\n"
    "       gleamfx sample OUT [WxH] [BITS]\n"
    "       gleamfx apply [options] IN OUT OP [ARG...]\n"
    "       gleamfx batch FOLDER [options] OP [ARG...] -- IN...\n"
    "       gleamfx command [--second FILE] [--seed N] [--utc-time T] IN OUT INDEX\n"
    "options: --second FILE   --seed N   --utc-time HH:MM:SS.mmm   --repeat N   --time\n"
    "         --threads N\n";

// Larger sample pictures are refused: the file would pass what the bitmap
// format can hold comfortably and the memory would be gigabytes.
constexpr int32_t kMaxSampleSide = 32767;
constexpr int32_t kDefaultSampleWidth = 640;
constexpr int32_t kDefaultSampleHeight = 480;

const char* KindName(fx::ParamKind kind) {
    switch (kind) {
    case fx::ParamKind::Int:
        return "int";
    case fx::ParamKind::Float:
        return "float";
    case fx::ParamKind::Color:
        return "color";
    case fx::ParamKind::Rect:
        return "rect";
    case fx::ParamKind::Filter:
        return "filter";
    }
    return "?";
}

const char* WiringNote(fx::Wiring wiring) {
    switch (wiring) {
    case fx::Wiring::OnePicture:
        return "";
    case fx::Wiring::SourceToPicture:
        return "  [copy -> picture]";
    case fx::Wiring::CopySecondPicture:
        return "  [copy, --second, picture]";
    case fx::Wiring::SecondCopyPicture:
        return "  [--second, copy, picture]";
    case fx::Wiring::IntoNewPicture:
        return "  [new size]";
    }
    return "";
}

const char* LayoutName(bitmap::BitmapLayout layout) {
    static constexpr const char* kNames[] = {"Device", "Bits1",  "Bits4",  "Bits8", "Bits15",
                                             "Bits16", "Bits24", "Bits32", "Custom"};
    const auto index = static_cast<size_t>(layout);
    return index < std::size(kNames) ? kNames[index] : "?";
}

int List(std::ostream& out) {
    for (const fx::Operation& operation : fx::Operations()) {
        std::ostringstream line;
        line << std::left << std::setw(22) << operation.name;
        for (const fx::ParamSpec& param : operation.params) {
            line << ' ' << param.name << ':' << KindName(param.kind) << '=' << param.programValue;
        }
        line << WiringNote(operation.wiring);
        std::string text = line.str();
        text.erase(text.find_last_not_of(' ') + 1);
        out << text << '\n';
    }
    out << "\nmenu commands (gleamfx command IN OUT INDEX):\n";
    ListCommands(out);
    return kExitOk;
}

uint32_t Read32(const uint8_t* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

// The 14-byte file header when the file starts with one ("BM").
void PrintFileHeader(std::ostream& out, const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    uint8_t header[14] = {};
    if (!file.read(reinterpret_cast<char*>(header), sizeof header) || header[0] != 'B' ||
        header[1] != 'M') {
        out << "file header: none\n";
        return;
    }
    out << "bfSize: " << Read32(header + 2) << '\n';
    out << "bfOffBits: " << Read32(header + 10) << '\n';
}

int Info(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return UsageError(err, "info takes one FILE");
    std::string reason;
    PictureHolder picture = LoadPicture(args[0], &reason);
    if (!picture) return Failure(err, "cannot read " + args[0] + ": " + reason);
    out << "file: " << args[0] << '\n';
    out << "size: " << picture->Width() << " x " << picture->Height() << '\n';
    out << "layout: " << LayoutName(picture->Layout()) << '\n';
    out << "scan line bytes: " << picture->ScanLineBytes() << '\n';
    PrintFileHeader(out, args[0]);
    const uint8_t* info = picture->HeaderBlock();
    if (info == nullptr) return kExitOk;
    const auto field16 = [&](int offset) { return info[offset] | (info[offset + 1] << 8); };
    const auto signed32 = [&](int offset) { return static_cast<int32_t>(Read32(info + offset)); };
    out << "biSize: " << Read32(info) << '\n';
    out << "biWidth: " << signed32(4) << '\n';
    out << "biHeight: " << signed32(8) << (signed32(8) < 0 ? " (top-down)" : " (bottom-up)")
        << '\n';
    out << "biPlanes: " << field16(12) << '\n';
    out << "biBitCount: " << field16(14) << '\n';
    out << "biCompression: " << Read32(info + 16) << '\n';
    out << "biSizeImage: " << Read32(info + 20) << '\n';
    out << "biXPelsPerMeter: " << signed32(24) << '\n';
    out << "biYPelsPerMeter: " << signed32(28) << '\n';
    out << "biClrUsed: " << Read32(info + 32) << '\n';
    out << "biClrImportant: " << Read32(info + 36) << '\n';
    return kExitOk;
}

int Write(bitmap::PixelBitmap& picture, const std::string& path, std::ostream& err) {
    std::string reason;
    try {
        if (!WritePicture(picture, path, reason)) return Failure(err, path + ": " + reason);
    } catch (const std::bad_alloc&) {
        return OutOfMemory(err, picture.Width(), picture.Height());
    }
    return kExitOk;
}

int Convert(std::span<const std::string> args, std::ostream& err) {
    if (args.size() != 2) return UsageError(err, "convert takes IN and OUT");
    std::string reason;
    PictureHolder picture = LoadPicture(args[0], &reason);
    if (!picture) return Failure(err, "cannot read " + args[0] + ": " + reason);
    return Write(*picture, args[1], err);
}

bool ParseSide(std::string_view text, int32_t& side) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), side);
    return error == std::errc() && end == text.data() + text.size() && side >= 1 &&
           side <= kMaxSampleSide;
}

// "WxH" with both sides from 1 to kMaxSampleSide.
bool ParseSize(std::string_view text, int32_t& width, int32_t& height) {
    const size_t x = text.find('x');
    return x != std::string_view::npos && ParseSide(text.substr(0, x), width) &&
           ParseSide(text.substr(x + 1), height);
}

int Sample(std::span<const std::string> args, std::ostream& err) {
    if (args.empty() || args.size() > 3)
        return UsageError(err, "sample takes OUT, [WxH] and [BITS]");
    int32_t width = kDefaultSampleWidth;
    int32_t height = kDefaultSampleHeight;
    if (args.size() >= 2 && !ParseSize(args[1], width, height)) {
        return UsageError(err, "size '" + args[1] + "' is not WxH with sides 1 to " +
                                   std::to_string(kMaxSampleSide));
    }
    int32_t bits = 24;
    if (args.size() == 3 && (!ParseSide(args[2], bits) || !IsWritableDepth(bits)))
        return UsageError(err, "depth '" + args[2] + "' is not 1, 4, 8, 16, 24 or 32");
    PictureHolder picture;
    try {
        picture.reset(NewSamplePicture(width, height));
        if (bits == 24) return Write(*picture, args[0], err);
        std::string reason;
        if (!WriteBmpInDepth(*picture, bits, args[0], reason))
            return Failure(err, args[0] + ": " + reason);
    } catch (const std::bad_alloc&) {
        return OutOfMemory(err, width, height);
    }
    return kExitOk;
}

int Dispatch(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return UsageError(err, "no command");
    const std::string& command = args[0];
    const std::span<const std::string> rest = args.subspan(1);
    if (command == "help" || command == "--help" || command == "-h") {
        out << kUsage << "\nmenu commands (INDEX):\n";
        ListCommands(out);
        return kExitOk;
    }
    if (command == "list") return rest.empty() ? List(out) : UsageError(err, "list takes nothing");
    if (command == "info") return Info(rest, out, err);
    if (command == "convert") return Convert(rest, err);
    if (command == "sample") return Sample(rest, err);
    if (command == "apply") return RunApply(rest, err);
    if (command == "batch") return RunBatch(rest, err, &err == &std::cerr && isatty(STDERR_FILENO));
    if (command == "command") return RunCommand(rest, err);
    return UsageError(err, "unknown command '" + command + "'");
}

} // namespace

int UsageError(std::ostream& err, const std::string& reason) {
    err << "gleamfx: " << reason << '\n' << kUsage;
    return kExitUsage;
}

int Failure(std::ostream& err, const std::string& message) {
    err << "gleamfx: " << message << '\n';
    return kExitFailure;
}

PictureHolder LoadPicture(const std::string& path, std::string* reason) {
    std::string why;
    PictureHolder picture = ReadPicture(path, why);
    if (!picture && reason != nullptr) *reason = why;
    return picture;
}

int ReadInputPictures(const std::string& inPath, const std::string& secondPath, bool needsSecond,
                      const std::string& name, PictureHolder& picture, PictureHolder& second,
                      std::ostream& err) {
    if (needsSecond && secondPath.empty()) return UsageError(err, name + " needs --second FILE");
    if (!needsSecond && !secondPath.empty())
        return UsageError(err, name + " takes no second picture");
    std::string reason;
    picture = LoadPicture(inPath, &reason);
    if (!picture) return Failure(err, "cannot read " + inPath + ": " + reason);
    if (needsSecond) {
        second = LoadPicture(secondPath, &reason);
        if (!second) return Failure(err, "cannot read " + secondPath + ": " + reason);
    }
    return 0;
}

int OutOfMemory(std::ostream& err, int64_t width, int64_t height) {
    return Failure(err, "not enough memory for a " + std::to_string(width) + " \u00d7 " +
                            std::to_string(height) + " picture");
}

int RunGleamfx(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    try {
        return Dispatch(args, out, err);
    } catch (const std::bad_alloc&) {
        return Failure(err, "not enough memory");
    } catch (const std::exception& error) {
        return Failure(err, error.what());
    }
}

} // namespace gleamkit::tools
