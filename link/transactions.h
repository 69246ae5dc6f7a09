// The request and reply dialogues that move one settings block between the VRX-3KM and the
// settings image. The program always speaks first. A read changes the image only after the
// whole reply passed every test; a write never changes it.
#pragma once

#include "image/settings_image.h"
#include "link/frame_codec.h"

#include <cstdint>

// Message codes on the line.
inline constexpr std::uint8_t kRequestSystem = 0x01; // also the go-ahead for a system write
inline constexpr std::uint8_t kRequestAudio = 0x02;  // also the go-ahead for an audio write
inline constexpr std::uint8_t kAnnounceSystem = 0x0A;
inline constexpr std::uint8_t kAnnounceAudio = 0x0B;
inline constexpr std::uint8_t kConfirmRequest = 0x11;
inline constexpr std::uint8_t kSystemBlock = 0x12;
inline constexpr std::uint8_t kAudioBlock = 0x13;
inline constexpr std::uint8_t kTaken = 0x21; // "!"
inline constexpr std::uint8_t kAbort = 0x23;

// Each talks over the line it is given, through the line's codec (whose message buffer carries
// the request and the reply), and reads into, or writes from, the image it is given. Results:
// LinkOk; LinkFailed for a reply that is missing, of the wrong code or length, or a block that
// fails its check; a write's confirmation gives LinkNoReply when the processor stays silent.
LinkResult ReadSystemSetup(SerialLine& line, FrameCodec& codec, SettingsImage& image);
LinkResult ReadAudioSetup(SerialLine& line, FrameCodec& codec, int selector, int destination,
                          SettingsImage& image);
LinkResult WriteSystemSetup(SerialLine& line, FrameCodec& codec, const SettingsImage& image);
// Sends the block that the processor's go-ahead names, not necessarily the one announced; when
// pTaken is given, it receives that block's number (0 to 2) once the block was sent, and is left
// alone otherwise.
LinkResult WriteAudioSetup(SerialLine& line, FrameCodec& codec, int s1, int s2,
                           const SettingsImage& image, int* pTaken = nullptr);
LinkResult ConfirmWrite(SerialLine& line, FrameCodec& codec);
// Sends the abort; always LinkFailed.
LinkResult SendAbort(SerialLine& line, FrameCodec& codec);

// Empties the line until it has been silent for a whole second (the whole drain bounded by
// kDrainLimitMs on the line's clock), then reads the system block in full: a block that passes
// its check replaces SystemSetup.
LinkResult CheckLink(SerialLine& line, FrameCodec& codec, SettingsImage& image);
