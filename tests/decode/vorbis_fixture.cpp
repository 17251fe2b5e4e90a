#include "decode/vorbis_fixture.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <cstdio>
#include <memory>

// libvorbisenc's 5.1 set-up loses one allocation that vorbis_info_clear
// never frees (a fault of the library, made only by this fixture): the leak
// checker of sanitizer builds is told to let it pass.
extern "C" const char* __lsan_default_suppressions() { return "leak:vorbis_encode_setup_init\n"; }

namespace sondrel::test {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Everything libvorbisenc needs for one file, cleared in reverse order.
struct VorbisState {
  vorbis_info vi;
  vorbis_comment vc;
  vorbis_dsp_state vd;
  vorbis_block vb;
  ogg_stream_state os;
  bool dsp = false;
  VorbisState() {
    vorbis_info_init(&vi);
    vorbis_comment_init(&vc);
  }
  ~VorbisState() {
    if (dsp) {
      ogg_stream_clear(&os);
      vorbis_block_clear(&vb);
      vorbis_dsp_clear(&vd);
    }
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
  }
};

bool WritePage(std::FILE* f, const ogg_page& page) {
  return std::fwrite(page.header, 1, page.header_len, f) == static_cast<size_t>(page.header_len) &&
         std::fwrite(page.body, 1, page.body_len, f) == static_cast<size_t>(page.body_len);
}

}  // namespace

bool WriteOggVorbis(const std::string& path, int rate, int channels,
                    const std::vector<int16_t>& interleaved,
                    const std::vector<std::string>& comments, float quality, int serial) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  VorbisState s;
  if (vorbis_encode_init_vbr(&s.vi, channels, rate, quality) != 0) return false;
  for (const std::string& c : comments) vorbis_comment_add(&s.vc, c.c_str());
  vorbis_analysis_init(&s.vd, &s.vi);
  vorbis_block_init(&s.vd, &s.vb);
  ogg_stream_init(&s.os, serial);
  s.dsp = true;

  ogg_packet header, comm, code;
  vorbis_analysis_headerout(&s.vd, &s.vc, &header, &comm, &code);
  ogg_stream_packetin(&s.os, &header);
  ogg_stream_packetin(&s.os, &comm);
  ogg_stream_packetin(&s.os, &code);
  ogg_page page;
  while (ogg_stream_flush(&s.os, &page) != 0) {
    if (!WritePage(file.get(), page)) return false;
  }

  const size_t frames = interleaved.size() / static_cast<size_t>(channels);
  size_t done = 0;
  bool eos = false;
  while (!eos) {
    const size_t n = std::min<size_t>(1024, frames - done);
    if (n == 0) {
      vorbis_analysis_wrote(&s.vd, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&s.vd, static_cast<int>(n));
      for (size_t i = 0; i < n; ++i) {
        for (int c = 0; c < channels; ++c) {
          buffer[c][i] = interleaved[(done + i) * channels + c] / 32768.0f;
        }
      }
      vorbis_analysis_wrote(&s.vd, static_cast<int>(n));
      done += n;
    }
    while (vorbis_analysis_blockout(&s.vd, &s.vb) == 1) {
      vorbis_analysis(&s.vb, nullptr);
      vorbis_bitrate_addblock(&s.vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&s.vd, &packet)) {
        ogg_stream_packetin(&s.os, &packet);
        while (!eos && ogg_stream_pageout(&s.os, &page) != 0) {
          if (!WritePage(file.get(), page)) return false;
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
    if (n == 0 && !eos) {
      // Everything has been handed over; push out what is left.
      while (ogg_stream_flush(&s.os, &page) != 0) {
        if (!WritePage(file.get(), page)) return false;
      }
      eos = true;
    }
  }
  return std::fflush(file.get()) == 0;
}

std::vector<size_t> OggPageOffsets(const std::string& bytes) {
  std::vector<size_t> offsets;
  for (size_t at = bytes.find("OggS"); at != std::string::npos; at = bytes.find("OggS", at + 1)) {
    offsets.push_back(at);
  }
  return offsets;
}

}  // namespace sondrel::test
