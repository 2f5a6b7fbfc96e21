// Timers that answer a dialog a test expects. They belong to the test that
// made them: the test main deletes those left when the test ends, so an
// answer that never found its dialog cannot act in a later test or on a
// dialog that is gone.
#pragma once

class QTimer;

// A started timer firing every intervalMs milliseconds.
QTimer* NewAnswerTimer(int intervalMs);
void DeleteAnswerTimers();
