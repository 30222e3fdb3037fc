// A print job on a printer: the page and its canvas in device pixels. The
// window's implementation prints through the system's printer (or into a
// PDF file); TRecordingPrintJob keeps what was printed for tests.
//
// Use: BeginDoc, draw on Canvas(), NewPage between pages, EndDoc. A job
// that fails to start, to start a page or to finish throws TPrintError.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace platform {

class TPrintError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TPrintJob {
  public:
    virtual ~TPrintJob() = default;

    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;

    // The canvas of the current page; its text metrics are the printer's.
    virtual TCanvas& Canvas() = 0;
    // The printable page in device pixels, and the device's resolution.
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;
    virtual int Resolution() const = 0;
};

// A job that draws on a canvas the caller owns (a recording canvas in tests)
// and remembers where each page starts.
class TRecordingPrintJob : public TPrintJob {
  public:
    // PageStarts[k]: how many drawing calls the canvas had recorded when
    // page k began, as told by CountDrawn.
    std::vector<std::size_t> PageStarts;
    bool Begun = false;
    bool Ended = false;

    TRecordingPrintJob(TCanvas& Canvas, int PageWidth, int PageHeight, int Resolution,
                       std::size_t (*CountDrawn)(const TCanvas&) = nullptr)
        : canvas_(Canvas),
          width_(PageWidth),
          height_(PageHeight),
          dpi_(Resolution),
          countDrawn_(CountDrawn) {}

    void BeginDoc() override {
        Begun = true;
        PageStarts.assign(1, Drawn());
    }
    void NewPage() override { PageStarts.push_back(Drawn()); }
    void EndDoc() override { Ended = true; }
    TCanvas& Canvas() override { return canvas_; }
    int PageWidth() const override { return width_; }
    int PageHeight() const override { return height_; }
    int Resolution() const override { return dpi_; }
    int PageCount() const { return static_cast<int>(PageStarts.size()); }

  private:
    std::size_t Drawn() const { return countDrawn_ ? countDrawn_(canvas_) : 0; }
    TCanvas& canvas_;
    int width_, height_, dpi_;
    std::size_t (*countDrawn_)(const TCanvas&);
};

}  // namespace platform
