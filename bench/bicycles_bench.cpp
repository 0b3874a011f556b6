// How long the bicycles page takes to reload on a long log (50 bicycles with
// pictures, 100,000 rides, 20,000 maintenance entries), beside the floor of
// the store's fetch alone. A reload is what the page does each time it is
// shown: fetch every bicycle with its totals, hand them to the list, sum them
// into the status line, and paint every card once (all 50 visible).
//
// Target: reload within 1.5x of DB_GetBicycles with its release.
//
//   build/bicycles_bench        exits 1 when the target is missed

#include "BenchLog.h"
#include "PageBench.h"
#include "bicycles/BicycleDlg.h"
#include "store/store.h"
#include "widgets/LinkLabel.h"

#include <QImage>
#include <QListView>
#include <cstdio>

int main(int argc, char** argv) {
    benchlog::PageBenchProgram program(argc, argv);
    if (!program.Ready()) {
        return 2;
    }
    if (!benchlog::GivePictures()) {
        std::fprintf(stderr, "cannot give the bicycles their pictures: %s\n", DB_GetLastError());
        return 2;
    }

    LinkLabel statusLine;
    BicycleDlg page(statusLine, nullptr);
    page.resize(900, 40 + benchlog::kBicycles * 110 + 8);
    page.show();  // the first reload
    QListView* list = page.List();
    if (list->model()->rowCount() != benchlog::kBicycles) {
        std::fprintf(stderr, "the page lists %d bicycles\n", list->model()->rowCount());
        return 2;
    }
    QImage canvas(list->viewport()->size(), QImage::Format_RGB32);

    const benchlog::Timed reload{.run =
                                     [&] {
                                         page.Reload();
                                         // What the event loop would do next: lay the cards out and paint
                                         // them.
                                         list->doItemsLayout();
                                         list->viewport()->render(&canvas);
                                     },
                                 // Whatever the reload posted (a repaint of the shown page) is done
                                 // here, outside the timing, so that it does not pile up.
                                 .after = [] { QCoreApplication::processEvents(); }};
    const benchlog::Timed fetch{[] {
        BicycleList bicycles;
        DB_GetBicycles(&bicycles);
        DB_ReleaseBicycleList(&bicycles);
    }};
    const bool met = benchlog::Compare("bicycles page reload", reload, fetch, 1.5, benchlog::Runs{9, 0.5});
    if (qEnvironmentVariableIsSet("BICYCLES_BENCH_CANVAS")) {
        canvas.save(qEnvironmentVariable("BICYCLES_BENCH_CANVAS"));
    }
    std::printf("target %s\n", met ? "met" : "missed");

    return met ? 0 : 1;
}
