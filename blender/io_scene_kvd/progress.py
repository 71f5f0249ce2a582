"""Progress of a long import or export in Blender's status bar."""


class Progress:
    """Counts work done (triangles) out of a total, in the window manager's
    progress indicator; does nothing without a window manager (a script)."""

    STEPS = 1000

    def __init__(self, window_manager, total):
        self._window_manager = window_manager
        self._total = max(1, total)
        self._done = 0
        if window_manager is not None:
            window_manager.progress_begin(0, self.STEPS)

    def advance(self, amount):
        self._done += amount
        if self._window_manager is not None:
            self._window_manager.progress_update(min(self.STEPS, self._done * self.STEPS // self._total))

    def end(self):
        if self._window_manager is not None:
            self._window_manager.progress_end()
            self._window_manager = None

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.end()
        return False
