"""The package's exceptions and how a result of the library becomes one."""
import errno
import os

from ._records import Status


class KvdError(Exception):
    """Base class of every error this package raises on purpose.

    ``status`` is the library's result (a :class:`kvd.Status`) and
    ``message`` its English description.
    """
    status = None
    message = ""


class _OSErrorText:
    """The library's message as the text of an OSError whose errno is not
    known (OSError would show "[Errno None] None")."""

    def __str__(self):
        if self.errno is None and self.message:
            return self.message
        return super().__str__()


class NotKvdFile(KvdError):
    """The bytes are not a kvd scene file."""


class DamagedFile(KvdError):
    """A kvd scene file whose body (or header) is damaged or cut short.

    ``scene`` holds everything read before the damage (a :class:`kvd.Scene`
    whose ``status`` is ``Status.DAMAGED``), or is None when the header
    was damaged and nothing could be read (:class:`HeaderDamaged`).
    """
    scene = None


class HeaderDamaged(NotKvdFile, DamagedFile):
    """The bytes do not begin as a kvd scene file does, or its header is
    cut short or damaged: nothing could be read (``scene`` is None). Both a
    :class:`NotKvdFile` and a :class:`DamagedFile`, so either ``except``
    catches it; ``status`` is ``Status.HEADER_DAMAGED``."""


class CannotOpen(_OSErrorText, KvdError, OSError):
    """The file cannot be opened or read. Also an :class:`OSError`; where
    the cause is known, also the matching subclass (``FileNotFoundError``,
    ``PermissionError``, ``IsADirectoryError``), with ``errno`` and
    ``filename`` set."""


class CannotWrite(_OSErrorText, KvdError, OSError):
    """Writing the scene failed; nothing was left at the destination."""


class InvalidArgument(KvdError, ValueError):
    """A value handed to the library is not acceptable (bad array, out-of-range index)."""


class OutOfMemory(KvdError, MemoryError):
    """The library could not get the memory the scene needs."""


class Cancelled(KvdError):
    """The operation was asked to stop."""


for _class in (KvdError, NotKvdFile, DamagedFile, HeaderDamaged, CannotOpen, CannotWrite, InvalidArgument,
               OutOfMemory, Cancelled):
    _class.__module__ = "kvd"

# CannotOpen joined with the standard OSError subclass for one errno, so that
# `except FileNotFoundError` works as well as `except kvd.CannotOpen`.
_OS_SUBCLASSES = {errno.ENOENT: FileNotFoundError, errno.EACCES: PermissionError, errno.EPERM: PermissionError,
                  errno.EISDIR: IsADirectoryError, errno.ENOTDIR: NotADirectoryError}
_joined = {}


def _cannot_open_class(number):
    standard = _OS_SUBCLASSES.get(number)
    if standard is None:
        return CannotOpen
    if standard not in _joined:
        joined = type("CannotOpen", (CannotOpen, standard), {"__doc__": CannotOpen.__doc__})
        joined.__module__ = "kvd"
        _joined[standard] = joined
    return _joined[standard]


def _why_unopenable(path):
    """The errno of opening path for reading, found again from Python (the
    library reports the reason only as text); 0 when it opens now."""
    try:
        with open(path, "rb"):
            return 0
    except OSError as error:
        return error.errno or 0
    except ValueError:  # a path Python cannot even name
        return errno.EINVAL


def cannot_open(message, path):
    number = _why_unopenable(path) if path is not None else 0
    filename = os.fsdecode(path) if path is not None else None
    if number:
        # As Python's own open() words it; the library's text stays in .message.
        error = _cannot_open_class(number)(number, os.strerror(number), filename)
    else:
        error = CannotOpen(message)
        error.filename = filename
    error.status = Status.CANNOT_OPEN
    error.message = message
    return error


_BY_STATUS = {
    Status.NOT_KVD_FILE: NotKvdFile,
    Status.HEADER_DAMAGED: HeaderDamaged,
    Status.DAMAGED: DamagedFile,
    Status.INVALID_ARGUMENT: InvalidArgument,
    Status.OUT_OF_MEMORY: OutOfMemory,
    Status.CANCELLED: Cancelled,
}


def error_for(result, message, path=None):
    """The exception for a failed call of the library."""
    try:
        status = Status(result)
    except ValueError:
        return KvdError(f"the kvd library returned an unknown result {result}: {message}")
    if status == Status.CANNOT_OPEN:
        return cannot_open(message, path)
    if status == Status.CANNOT_WRITE:
        error = CannotWrite(message)
        error.filename = os.fsdecode(path) if path is not None else None
    else:
        error = _BY_STATUS.get(status, KvdError)(message)
    error.status = status
    error.message = message
    return error
