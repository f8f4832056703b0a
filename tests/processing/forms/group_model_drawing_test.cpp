// The model curve and its marker on the plot image: xor drawing, and a repaint while modelling.
#include <gtest/gtest.h>

#include "platform/qt/image_canvas.h"
#include "processing/group_modelling.h"
#include "processing/plot_drawing.h"
#include "tests/processing/plot_fixture.h"

namespace vk7 {
namespace {

PeakGroupModel pickedModel(const ProcessingState& s) {
    PeakGroupModel m;
    InitialPeakModel(m, s.Chrom.Points, s.Markup, 2, 3);
    return m;
}

class ModelDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        s = test::threePeakState();
        s->ProgramMode = ModePeakTable;
        RepaintPlot(canvas, *s);
        s->Model = pickedModel(*s);
        BuildPeakModel(s->Model);
    }
    std::unique_ptr<ProcessingState> s;
    ImageCanvas canvas{800, 400};
};

TEST_F(ModelDrawing, DrawingTwiceErases) {
    const QImage plain = canvas.image().copy();
    DrawModel(canvas, s->Model, s->Markup, s->View);
    DrawModelPeakMarker(canvas, s->Model, s->Markup, s->View);
    EXPECT_NE(canvas.image(), plain);
    EXPECT_TRUE(s->Model.CurveShown && s->Model.MarkerShown);
    DrawModel(canvas, s->Model, s->Markup, s->View);
    DrawModelPeakMarker(canvas, s->Model, s->Markup, s->View);
    EXPECT_EQ(canvas.image(), plain);
}

TEST_F(ModelDrawing, ARepaintWhileModellingShowsOneCurve) {
    s->ClickMode = 90;
    RepaintPlot(canvas, *s);  // draws the curve and the marker again
    EXPECT_TRUE(s->Model.CurveShown);
    // A bar move: erase, change, draw.
    DrawModel(canvas, s->Model, s->Markup, s->View);
    SetModelValue(s->Model, BarLargeHeight, 5000);
    BuildPeakModel(s->Model);
    DrawModel(canvas, s->Model, s->Markup, s->View);

    ImageCanvas fresh{800, 400};
    RepaintPlot(fresh, *s);
    EXPECT_EQ(canvas.image(), fresh.image());

    s->ClickMode = 0;
    ImageCanvas idle{800, 400};
    RepaintPlot(idle, *s);
    RepaintPlot(canvas, *s);
    EXPECT_EQ(canvas.image(), idle.image());
}

}  // namespace
}  // namespace vk7
