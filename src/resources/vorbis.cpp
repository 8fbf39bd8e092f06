// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "vorbis.h"

#include <QSysInfo>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

namespace resources {

namespace {

struct Reader {
    QByteArrayView data;
    qsizetype at = 0;
};

size_t readBytes(void *into, size_t size, size_t count, void *source)
{
    auto *r = static_cast<Reader *>(source);
    const size_t n = std::min(size * count, size_t(r->data.size() - r->at));
    std::memcpy(into, r->data.data() + r->at, n);
    r->at += qsizetype(n);
    return size ? n / size : 0;
}

int seekTo(void *source, ogg_int64_t offset, int whence)
{
    auto *r = static_cast<Reader *>(source);
    const qint64 base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? r->at : r->data.size();
    if (base + offset < 0 || base + offset > r->data.size())
        return -1;
    r->at = qsizetype(base + offset);
    return 0;
}

long tellAt(void *source)
{
    return long(static_cast<Reader *>(source)->at);
}

} // namespace

Pcm decodeVorbis(QByteArrayView data)
{
    Reader reader{data};
    OggVorbis_File file;
    const ov_callbacks callbacks{readBytes, seekTo, nullptr, tellAt};
    if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0)
        return {};
    Pcm pcm;
    const vorbis_info *info = ov_info(&file, -1);
    const int channels = info ? info->channels : 0;
    const bool good = info && info->rate == pcmRate && (channels == 1 || channels == 2);
    const int bigEndian = QSysInfo::ByteOrder == QSysInfo::BigEndian ? 1 : 0;
    const ogg_int64_t frames = ov_pcm_total(&file, -1);
    if (good && frames > 0 && frames < qint64(pcmRate) * 600) // a damaged header may claim anything
        pcm.samples.reserve(size_t(frames) * pcmChannels);
    alignas(qint16) char buffer[8192];
    int section = 0;
    // A damaged page reads as a hole (or a bad link) and the decoder goes on at the next good
    // one; only a long run of nothing but errors means there is nothing more to be had.
    int errorsInARow = 0;
    while (good && errorsInARow < 64) {
        const long bytes = ov_read(&file, buffer, sizeof buffer, bigEndian, 2, 1, &section);
        if (bytes == 0)
            break;
        if (bytes < 0) {
            ++errorsInARow;
            continue;
        }
        errorsInARow = 0;
        // A chained stream may change its format: what comes after such a link is left out.
        const vorbis_info *now = ov_info(&file, section);
        if (!now || now->channels != channels || now->rate != pcmRate)
            break;
        const auto *samples = reinterpret_cast<const qint16 *>(buffer);
        const size_t count = size_t(bytes) / 2;
        if (channels == 2)
            pcm.samples.insert(pcm.samples.end(), samples, samples + count);
        else
            for (size_t i = 0; i < count; ++i)
                pcm.samples.insert(pcm.samples.end(), 2, samples[i]);
    }
    ov_clear(&file);
    return pcm;
}

} // namespace resources
