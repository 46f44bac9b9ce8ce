#pragma once
// What render and batch share about movies: the movie settings as the dialog would open them
// with the options over them (--format, --fps, --size, --fields, --codec), and the progress
// bar on stderr that Ctrl-C stops at the next frame.

#include <cstdint>
#include <string>

#include "CliArgs.h"
#include "Interrupt.h"
#include "OffscreenSession.h"
#include "output/MovieJob.h"

namespace quillon::cli {

MovieFormat ParseFormat(const std::string& text);
MovieCodec ParseCodec(const std::string& text);
int ParseFields(const std::string& text);
float ParseRate(const std::string& text);

// The profile's "Movie" settings, then --format, --size, --fields, --codec and --fps over
// them. The size is checked unless the format is VRML.
MovieJob MovieJobFromOptions(const Args& args, const Profile& profile);

// A progress bar on stderr when it is a terminal; Ctrl-C asks the run to stop.
class ConsoleProgress final : public MovieProgress {
  public:
    ConsoleProgress(int32_t start, int32_t end);
    ~ConsoleProgress() override;
    bool StopRequested() override { return CtrlC::pressed(); }
    void FrameShown(int32_t frame) override;
    // A new run with its own range (the batch's passes).
    void Restart(int32_t start, int32_t end);

  private:
    CtrlC ctrlC_;
    int32_t start_, end_;
    bool bar_ = false;
    bool shown_ = false;
};

}  // namespace quillon::cli
