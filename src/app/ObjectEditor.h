// The object editor of the "Ed. Objetos" tab: the object selection and
// the click modes that move an object's centroid and plot chain points.
#pragma once

class TFormBrumex;

class TObjectEditor {
public:
    explicit TObjectEditor(TFormBrumex& form);

    // The ordinary object selection: a click on the globe in no mode, and
    // the layer grid after a click.
    void GridObjetosClick();
    // Click steps run by the click dispatcher without Shift (cursor
    // crCross): ObjectCentroidMode moves the edited object's centroid to
    // MousePosition; PointPlotMode stores MousePosition in the selected
    // point, and with ctrl stays on for the next one.
    void CentroidClick();
    void PointPlotClick(bool ctrl);

private:
    TFormBrumex& m_form;
};
