#include "CliHelp.h"

namespace quillon::cli {

namespace {

struct Help {
    const char* name;
    const char* synopsis;  // the arguments after the command's name
    const char* summary;   // a few words for the list
    const char* text;      // the command's page
};

const Help kCommands[] = {
    {"info", "SHOW.shw [--json]", "print the show tree",
     "Prints the show tree: every node with its kind, name, frames, keys and file. With --json\n"
     "one object {\"version\", \"captions\", \"root\": NODE}, each NODE with its kind,\n"
     "motionMode, name, fileName, startFrame, endFrame, flags, reserved, keyColor, keys and\n"
     "children.\n"},
    {"eval", "SHOW.shw --frame F [--to G] [--half]", "evaluate the scene at each frame",
     "One JSON line per frame from F to G: the scene that holds the frame and the pose of the\n"
     "scene and each of its tracks ({\"channels\": [12 numbers], \"act\"}), or \"scene\": null\n"
     "when no scene holds it. --half evaluates half a frame later.\n"},
    {"path", "SHOW.shw [--scale S]", "print the active camera path of every scene",
     "The active camera's ground path of every scene, as lines in plan pixels at scale S.\n"},
    {"timecode", "--rate R (--write N [--short] | --read TEXT [--old N])",
     "frame counts to timecode text and back",
     "Writes frame count N as timecode text (--short leaves out the hours) or reads TEXT back\n"
     "to a frame count (a leading + or - adds to or takes from --old N). R is frames per\n"
     "second x 100: 3000, 2997, 2500, 2400.\n"},
    {"new", "OUT.shw [--scenes N] [--length L] [--camera-move]", "write a new show",
     "A new show of N scenes of L frames, as New Show and Add New Scene make it; --camera-move\n"
     "keys a camera move into every scene.\n"},
    {"picture", "FILE [--step N] [--save OUT [--mode M]]", "load a picture, print its size",
     "Loads a picture and prints {\"width\", \"height\", \"bits\", \"sourceWidth\",\n"
     "\"sourceHeight\"}. --step N rounds the buffer up (2: powers of two). --save writes it:\n"
     "\".png\" and \".jpg\" by their names, other names as mode M (1 Targa, 2 nothing, else "
     "BMP).\n"},
    {"movie", "FILE [--frame K --save OUT]", "print a movie's frames and size, save a frame",
     "Opens an AVI movie and prints {\"frames\", \"width\", \"height\", \"alphaInterleave\"};\n"
     "--frame K --save OUT saves movie frame K as \"picture\" does.\n"},
    {"texels", "FILE [--key COLOR] [--feather] [--actor|--panel] [--rostrum] --out OUT.png",
     "write the texels a picture uploads as",
     "The texture a picture becomes, written upright as an RGBA PNG, its size printed. COLOR is\n"
     "-1 or alpha, blue, green, black, white, or a 0x00BBGGRR value.\n"},
    {"vrml", "SHOW.shw -o OUT.wrl", "write the show as a VRML 2.0 world",
     "Writes the show as a VRML 2.0 world and its pictures beside it: \"v\" + title + \".jpg\"\n"
     "for panels, \".png\" with the keyed areas transparent for actors.\n"},
    {"gltf", "SHOW.shw -o OUT.gltf|OUT.glb [--scene N] [--size WxH]",
     "write the show as a glTF 2.0 scene",
     "Writes the show as a glTF 2.0 scene (.glb: one binary file): every scene of the show (or\n"
     "scene N, counted from 0) as a scene of the file with its set panels, its actors as\n"
     "textured cards and its active camera, and one animation each. Straight even moves keep\n"
     "their keys (a hold repeats one), eased and curved moves are sampled at every frame.\n"
     "Lengths are metres: a stage unit is an inch, or a centimetre when the profile's stage\n"
     "units say so. The camera frames a picture of the monitor's shape, or WxH.\n"},
    {"camera", "SHOW.shw -o OUT.csv|OUT.json [--scene N] [--sensor WIDTHmm] [--size WxH]",
     "write the camera of every frame",
     "One row per show frame (or per frame of scene N): frame, timecode, scene, camera (1 to\n"
     "4), the position in stage units and in metres (x east, y up, z south of the stage's\n"
     "middle), pan, tilt, the horizontal and vertical angles of view in degrees and the focal\n"
     "length in mm for the sensor width (36mm unless given). The angles are those the\n"
     "renderer uses, for a picture of the monitor's shape or of WxH.\n"},
    {"frame", "SHOW.shw --frame F -o OUT.png [--size WxH] [--reticle]",
     "render one frame offscreen",
     "Renders show frame F as the active camera sees it to a PNG of the movie size from the\n"
     "profile (720 x 484 by default) or WxH; --reticle draws the camera reticle over it.\n"},
    {"render",
     "SHOW.shw -o OUT [--format avi|tga16|tga24|vrml] [--start TC] [--end TC]\n"
     "         [--fps F] [--size WxH] [--fields frames|even|odd]\n"
     "         [--codec raw|mjpeg|ffv1|mpeg4|h264] [--sound]",
     "make a movie offscreen",
     "Makes a movie offscreen, as Make Movie does: an AVI, a numbered Targa sequence or a VRML\n"
     "world. Defaults come from the profile's Movie section; the range defaults to the whole\n"
     "show. Ctrl-C stops at the next frame and keeps what was made. --sound puts the show's\n"
     "sound tracks into an AVI as one 16-bit PCM stream in step with the frames.\n"},
    {"sound", "FILE.wav [--rate R] [--from F]", "a sound clip's format, length and offset",
     "Prints the clip as the clip player reads it, as one JSON object: formatTag, channels,\n"
     "samplesPerSecond, avgBytesPerSecond, blockAlign, bitsPerSample, dataSize, frames (its\n"
     "length in show frames at R, frames per second x 100) and offset (where frame F starts).\n"},
    {"play",
     "SHOW.shw [--start TC] [--end TC] [--mode M] [--range A B] [--seconds S]\n"
     "       [--fullscreen] [--size WxH] [--trace] [--test-rate] [--audio-out OUT.wav]\n"
     "       [--no-audio]",
     "play the show offscreen in real time",
     "Plays the show offscreen with the window's play loop, from --start in mode M (1, -2, -1\n"
     "or 2) until play stops, the frame reaches --end or S seconds pass. --range loops between\n"
     "marks A and B; --fullscreen draws every frame; --trace prints each tick as JSON;\n"
     "--test-rate prints the frame rate; --audio-out records the sound played to a WAV file.\n"},
    {"script", "FILE [--text] [-o OUT]", "read a script, print its text or write it again",
     "Reads a script (RTF when the name has \".rtf\", else plain text) as the script window\n"
     "does; --text prints its text, -o OUT writes it again, as RTF or text by OUT's name.\n"},
    {"vtr",
     "--port PATH (status | preset IN OUT [--video] [--a1] [--a2]\n"
     "      | record-wait [--timeout S] | stop)",
     "one operation of the tape recorder link",
     "Opens the recorder's serial port (38400 baud, 8 data bits, odd parity, 1 stop bit) and\n"
     "runs one operation: its status, an edit preset with in and out timecodes and the tracks\n"
     "to record, a wait for record, or stop.\n"},
    {"batch",
     "SHOW... [--avi] [--reverse] [--log FILE] [--start TC] [--hold-start S] [--hold-end S]\n"
     "      [--port PATH [--video] [--a1] [--a2]] [--no-audio] [--fps F] [--size WxH]\n"
     "      [--codec C] [--fields M] [--sound] [--engine local|slurm [--partition P] [--wait]]\n"
     "      [--collect]",
     "record a list of shows to tape or AVI files with an edit log",
     "Batch Record/AVI without a window. With --avi each show is written to its AVI file (the\n"
     "show's path cut at its first \".\", then \".avi\", \"R.avi\" for --reverse's backwards\n"
     "pass) between holds of S seconds; without it each show plays offscreen in real time\n"
     "after its slate, onto the recorder at --port (preset from --start for an hour, then\n"
     "waited for) or, with no port, once the operator presses Enter. --log FILE writes the\n"
     "edit log of the tape. Holds and the start timecode default to the profile's Conform\n"
     "values, the movie settings to its Movie values. --engine slurm sends the AVI passes to\n"
     "Slurm as a job array with a last job that checks every file and writes the log, and\n"
     "prints {\"array_job\", \"final_job\", \"folder\"}; --wait follows it to its end.\n"
     "--collect is that last step. Ctrl-C calls the batch off (exit 130).\n"},
    {"boards",
     "SHOW.shw -o OUT.pdf [--per-row 2|4] [--images on|off] [--captions on|off]\n"
     "    [--blocking on|off] [--timecode on|off] [--title TEXT] [--page a4|letter] [--dpi N]",
     "print the storyboard to a PDF",
     "Prints the storyboard of the show's caption entries to a PDF as the Print dialog prints\n"
     "it: per entry the camera picture, the blocking diagram and the caption with its\n"
     "timecode; a footer with the date, the title and \"Page P of N\". Defaults as the dialog\n"
     "opens: 2 frames per row (large images), images, captions and timecode on, blocking off;\n"
     "a letter page at 300 dots per inch (N from 36 to 1200). A progress bar on a terminal;\n"
     "on stdout {\"pages\", \"framesPerPage\", \"cellsPerPage\", \"margin\", \"gap\",\n"
     "\"imageWidth\", \"imageHeight\", \"pageWidth\", \"pageHeight\"} in device pixels. OUT is\n"
     "replaced only when the whole storyboard is written.\n"},
    {"caption", "SHOW.shw (--add TC [--text TEXT] | --remove TC | --list)",
     "edit or list the storyboard entries",
     "Edits the show's storyboard entries as the Print dialog does and saves the show: --add\n"
     "puts an entry at timecode TC in time order (an entry already there stays, and --text\n"
     "sets its caption), --remove takes the entry at TC away. --list prints one JSON line per\n"
     "entry: {\"timecode\", \"frame\", \"caption\"}.\n"},
    {"shotlist", "SHOW.shw -o OUT.csv", "write the storyboard entries as a shot list",
     "One CSV row (RFC 4180, UTF-8, a header row) per storyboard entry in the show's order:\n"
     "number, timecode, frame, scene index and name, active camera (1 to 4) and its lens\n"
     "angle at the frame, the duration until the next entry (the last: until the show's end)\n"
     "in frames and as timecode, and the caption. Entries outside the show leave the scene\n"
     "and camera fields empty.\n"},
    {"make-demo", "OUTDIR", "write the demo show, its sets and pictures",
     "Writes the demo show into OUTDIR: demo.shw, one set per scene and the pictures.\n"},
    {"recover", "--list | ID -o OUT.shw", "list or write the recovery copies",
     "--list prints one JSON line per entry of the recovery folder ($XDG_STATE_HOME/quillon/\n"
     "recovery, else ~/.local/state/quillon/recovery): id, state (ready, in use, damaged with\n"
     "its damage) and for whole copies title, show, time, pid, host, sets, newerThanShow and\n"
     "declined. ID -o OUT.shw writes the copy's show to OUT.shw; a set whose changes were never\n"
     "saved is written beside it as OUT.sceneN.set, and the show names that file.\n"},
};

constexpr const char* kLead = "usage: quillon-cli [--profile FILE] ";

}  // namespace

std::string Usage() {
    std::string out = std::string(kLead) + "COMMAND ...\n";
    for (const Help& h : kCommands) {
        std::string line = std::string("  ") + h.name + " " + h.synopsis;
        // Long synopses keep their own lines; the summary goes under them.
        if (line.size() > 40 || line.find('\n') != std::string::npos)
            out += line + "\n" + std::string(41, ' ') + h.summary + "\n";
        else
            out += line + std::string(41 - line.size(), ' ') + h.summary + "\n";
    }
    out +=
        "Options: --profile FILE selects the profile (else $QUILLON_PROFILE).\n"
        "quillon-cli COMMAND --help describes a command.\n";
    return out;
}

std::string CommandHelp(const std::string& command) {
    for (const Help& h : kCommands)
        if (command == h.name)
            return std::string(kLead) + h.name + " " + h.synopsis + "\n\n" + h.text;
    return std::string();
}

}  // namespace quillon::cli
