// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace brantlow {

// The engine's failure reasons, left in TBinEdit::ErrorCode (which a later
// success never clears). The numbers are shown to users and kept in their
// reports: never renumber them.
enum EngineError : std::int32_t {
    // Loading and saving.
    ecCannotOpen = 0, // cannot be opened for reading
    ecCannotRead = 1, // cannot be read, or 2 GiB and more
    ecCannotSave = 2,
    ecFileChanged = 3, // the file came up short while it was read: another program changed it
    // Structure analysis.
    ecNoFrameSync =
        10, // no header frame, no chain of frames, no frame sync where the audio starts (also: image too short)
    ecRiffForm = 11, // RIFF form neither RMP3 nor WAVE
    ecWaveFormat = 12, // WAVE format tag not MPEG Layer 3, or no "fmt " before "data"
    ecWavePcm = 13, // WAVE with PCM audio
    ecWaveNoData = 14, // WAVE without a data chunk
    ecRmp3NoData = 15, // RMP3 without a data chunk
    ecOtherContainer =
        16, // MP4, Ogg, FLAC, Matroska or MPEG program stream: frames inside are not a stream of their own
    // Frame header decoding.
    ecMpeg25SampleRate = 21,
    ecMpeg25Bitrate = 22,
    ecSampleRate = 23,
    ecBitrateOrLayer = 24,
    // Frame index and header construction.
    ecNoAudioBytes = 31, // AudioSize 0 or less: the TOC would divide by zero
    ecUnfollowableAudio = 32, // more than 1 % (or 64 KiB) of the stream is junk between its frames
    ecCannotFix = 33, // the header frame to fix is no Xing or Info frame, or too short
    ecHeaderNotFoundAgain = 34, // the new header frame would not be found in front of the audio
    ecFixNotSettled = 35, // the mended file would not read back as right
    // Insertion and removal.
    ecNoScratchStream = 43,
    ecInsertFailed = 44,
    ecCutFailed = 45,
    ecRiffFixFailed = 46, // RIFF sizes after a cut
};

// A short reason for an ErrorCode, for reports.
const char *errorCodeText(std::int32_t errorCode);

} // namespace brantlow
