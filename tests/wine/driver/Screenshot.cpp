// Screen captures and a self-contained PNG writer (zlib stream with fixed-Huffman deflate).
#include "driver/Driver.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include <utility>

namespace driver {
namespace {

// ---- PNG ----

std::uint32_t Crc32(const std::uint8_t* data, size_t size, std::uint32_t crc = 0) {
  static std::uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  // Deflate packs values from the least significant bit up.
  void Put(std::uint32_t bits, int count) {
    acc_ |= bits << used_;
    used_ += count;
    while (used_ >= 8) {
      out_.push_back(static_cast<std::uint8_t>(acc_));
      acc_ >>= 8;
      used_ -= 8;
    }
  }
  // Huffman codes go most significant bit first.
  void PutCode(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed = (reversed << 1) | ((code >> i) & 1);
    Put(reversed, length);
  }
  void Flush() {
    if (used_ > 0) out_.push_back(static_cast<std::uint8_t>(acc_));
    acc_ = 0;
    used_ = 0;
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::uint32_t acc_ = 0;
  int used_ = 0;
};

// RFC 1951 3.2.6: the fixed literal/length code.
void PutLiteral(BitWriter& bits, int value) {
  if (value < 144) bits.PutCode(0x30 + value, 8);
  else if (value < 256) bits.PutCode(0x190 + value - 144, 9);
  else if (value < 280) bits.PutCode(value - 256, 7);
  else bits.PutCode(0xC0 + value - 280, 8);
}

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                               193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void PutMatch(BitWriter& bits, int length, int distance) {
  int l = 28;
  while (kLengthBase[l] > length) --l;
  PutLiteral(bits, 257 + l);
  bits.Put(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
  int d = 29;
  while (kDistBase[d] > distance) --d;
  bits.PutCode(static_cast<std::uint32_t>(d), 5);
  bits.Put(static_cast<std::uint32_t>(distance - kDistBase[d]), kDistExtra[d]);
}

// One fixed-Huffman block with greedy LZ77 over a 32 KiB window; screenshots are mostly flat
// colour, which this shrinks well enough.
std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& data) {
  constexpr int kWindow = 32768, kMaxLength = 258, kMaxChain = 64, kHashBits = 15;
  std::vector<std::uint8_t> out;
  BitWriter bits(out);
  bits.Put(1, 1);  // BFINAL
  bits.Put(1, 2);  // BTYPE 01: fixed Huffman codes
  std::vector<int> head(1 << kHashBits, -1), prev(kWindow, -1);
  const int size = static_cast<int>(data.size());
  auto hash = [&](int i) {
    return ((data[i] << 10) ^ (data[i + 1] << 5) ^ data[i + 2]) & ((1 << kHashBits) - 1);
  };
  auto insert = [&](int i) {
    if (i + 2 >= size) return;
    const int h = hash(i);
    prev[i & (kWindow - 1)] = head[h];
    head[h] = i;
  };
  int i = 0;
  while (i < size) {
    int bestLength = 0, bestDistance = 0;
    if (i + 2 < size) {
      int candidate = head[hash(i)];
      for (int chain = 0; candidate >= 0 && i - candidate <= kWindow - 1 && chain < kMaxChain; ++chain) {
        const int limit = std::min(kMaxLength, size - i);
        int length = 0;
        while (length < limit && data[candidate + length] == data[i + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestDistance = i - candidate;
          if (length == limit) break;
        }
        const int older = prev[candidate & (kWindow - 1)];
        if (older >= candidate) break;
        candidate = older;
      }
    }
    if (bestLength >= 3) {
      PutMatch(bits, bestLength, bestDistance);
      for (int k = 0; k < bestLength; ++k) insert(i + k);
      i += bestLength;
    } else {
      PutLiteral(bits, data[i]);
      insert(i);
      ++i;
    }
  }
  PutLiteral(bits, 256);  // end of block
  bits.Flush();
  return out;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
  PutBigEndian(png, static_cast<std::uint32_t>(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  PutBigEndian(png, Crc32(png.data() + start, png.size() - start));
}

std::vector<std::uint8_t> EncodePng(const Image& image) {
  std::vector<std::uint8_t> raw;
  const size_t stride = static_cast<size_t>(image.width) * 3;
  raw.reserve((stride + 1) * static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);  // filter: none
    const auto row = image.rgb.begin() + static_cast<std::ptrdiff_t>(stride * static_cast<size_t>(y));
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(stride));
  }
  std::vector<std::uint8_t> zlib{0x78, 0x01};
  const std::vector<std::uint8_t> deflated = Deflate(raw);
  zlib.insert(zlib.end(), deflated.begin(), deflated.end());
  PutBigEndian(zlib, Adler32(raw));

  std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBigEndian(header, static_cast<std::uint32_t>(image.width));
  PutBigEndian(header, static_cast<std::uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filter, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

std::string SafeName(const std::string& name) {
  std::string out;
  for (char c : name) out += (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' ||
                              c == '<' || c == '>' || c == '|')
                                 ? '_'
                                 : c;
  return out;
}

// True while the window or one of its visible controls has a part still to be painted: a picture
// taken then would show a box without its buttons.
BOOL CALLBACK CountUnpainted(HWND window, LPARAM count) {
  if (IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE)) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

bool Painted(HWND top) {
  int unpainted = GetUpdateRect(top, nullptr, FALSE) ? 1 : 0;
  EnumChildWindows(top, CountUnpainted, reinterpret_cast<LPARAM>(&unpainted));
  return unpainted == 0;
}

}  // namespace

std::uint32_t Image::Pixel(int x, int y) const {
  const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
  return (std::uint32_t(rgb[at]) << 16) | (std::uint32_t(rgb[at + 1]) << 8) | rgb[at + 2];
}

int Image::DistinctColors(int stopAt) const {
  std::unordered_set<std::uint32_t> colors;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      colors.insert(Pixel(x, y));
      if (static_cast<int>(colors.size()) >= stopAt) return stopAt;
    }
  }
  return static_cast<int>(colors.size());
}

Image Capture(const RECT& screenRect) {
  Image image;
  const int width = screenRect.right - screenRect.left, height = screenRect.bottom - screenRect.top;
  if (width <= 0 || height <= 0) return image;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, screenRect.left, screenRect.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory, old);
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);  // DIB rows are DWORD-aligned
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(bits) + stride * static_cast<size_t>(y);
      std::uint8_t* to = &image.rgb[static_cast<size_t>(y) * static_cast<size_t>(width) * 3];
      for (int x = 0; x < width; ++x) {  // BGR to RGB
        to[x * 3] = row[x * 3 + 2];
        to[x * 3 + 1] = row[x * 3 + 1];
        to[x * 3 + 2] = row[x * 3];
      }
    }
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return image;
}

bool WaitPainted(HWND window, DWORD quietMs, DWORD timeoutMs) {
  Image last = Capture(ScreenRect(window));
  DWORD sameSince = GetTickCount();
  return WaitUntil([&] {
    Image now = Capture(ScreenRect(window));
    if (now.width != last.width || now.height != last.height || now.rgb != last.rgb) {
      last = std::move(now);
      sameSince = GetTickCount();
    }
    return GetTickCount() - sameSince >= quietMs;
  }, timeoutMs, 30);
}

bool WaitCaretOff(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndCaret) return true;
  RECT caret = info.rcCaret;
  MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&caret), 2);
  // Shown, the caret inverts its rectangle: on the light field most of it turns dark.
  return WaitUntil([&] {
    const Image image = Capture(caret);
    int dark = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const std::uint32_t p = image.Pixel(x, y);
        dark += ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) < 3 * 128;
      }
    }
    return dark * 2 < image.width * image.height;
  }, 4 * GetCaretBlinkTime(), 10);
}

Image CaptureScreen() {
  const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  return Capture(screen);
}

bool SavePng(const Image& image, const std::string& path) {
  if (image.width <= 0 || image.height <= 0) return false;
  const std::vector<std::uint8_t> png = EncodePng(image);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr) &&
                  written == png.size();
  CloseHandle(file);
  return ok;
}

std::string Screenshot(const std::string& name) {
  const std::string path = ScreenshotFolder() + "\\" + SafeName(name) + ".png";
  return SavePng(CaptureScreen(), path) ? path : std::string();
}

std::string Screenshot(const std::string& name, HWND window) {
  const std::string path = ScreenshotFolder() + "\\" + SafeName(name) + ".png";
  // The window in front first, so nothing covers it in the capture.
  HWND top = GetAncestor(window, GA_ROOT);
  BringToFront(top);
  WaitUntil([top] { return Painted(top); }, 2000);
  // Only what the screen shows: Wine copies nothing at all, a black picture, from a rectangle that
  // reaches past the virtual desktop (800 x 600 on the bench), where a window at 192 DPI does.
  const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                    GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  const RECT whole = ScreenRect(window);
  RECT shown{};
  if (!IntersectRect(&shown, &whole, &screen)) return std::string();
  return SavePng(Capture(shown), path) ? path : std::string();
}

}  // namespace driver
