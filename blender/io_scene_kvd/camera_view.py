"""A kvd camera is an eye and a target seen with the host's view: 22 degrees
across a 4:3 picture, Z up. These turn that into a Blender camera's placement
and back."""
import math

from mathutils import Matrix, Vector

# The host shows every camera 22 degrees wide on a 4:3 view.
HOST_FOV_DEGREES = 22.0
HOST_ASPECT = 4.0 / 3.0
# A stored target is kept on export while it lies within this angle of the view.
ALONG_VIEW_RADIANS = 1e-3


def look_at_rotation(eye, target):
    """The rotation that turns a Blender camera (looking down its local -Z,
    +Y up in the picture) at eye so that it looks at target with the scene's Z
    up; looking straight down or up, +X is up in the picture. None when eye
    and target coincide."""
    forward = Vector(target) - Vector(eye)
    if forward.length == 0.0 or not all(math.isfinite(c) for c in forward):
        return None
    forward.normalize()
    up = Vector((0.0, 0.0, 1.0))
    right = forward.cross(up)
    if right.length < 1e-9:
        up = Vector((1.0, 0.0, 0.0))
        right = forward.cross(up)
    right.normalize()
    picture_up = right.cross(forward)
    return Matrix((right, picture_up, -forward)).transposed().to_quaternion()


def view_direction(matrix_world):
    """Where a camera object looks, in world space (its local -Z)."""
    return -(matrix_world.to_3x3() @ Vector((0.0, 0.0, 1.0)))


def lies_along_view(eye, target, view):
    """Whether target lies ahead of eye along view (a target at the eye counts:
    such a camera has no direction of its own)."""
    to_target = Vector(target) - Vector(eye)
    if not all(math.isfinite(c) for c in to_target):
        return False
    if to_target.length == 0.0:
        return True
    if view.length == 0.0:
        return False
    return to_target.dot(view) / (to_target.length * view.length) > math.cos(ALONG_VIEW_RADIANS)


def clip_range(eye, target, bounds):
    """Near and far planes that keep the target and the whole scene box in
    view from eye, the near plane a small part of the far one so that depth
    precision goes where the scene is."""
    eye = Vector(eye)
    reach = max(1e-6, (Vector(target) - eye).length)
    if bounds is not None:
        low, high = bounds
        for corner in range(8):
            point = Vector((high[0] if corner & 1 else low[0], high[1] if corner & 2 else low[1],
                            high[2] if corner & 4 else low[2]))
            distance = (point - eye).length
            if math.isfinite(distance):
                reach = max(reach, distance)
    far = 2.0 * reach
    return far * 1e-5, far


def target_for_view(eye, view, bounds):
    """A target for a camera that has none of its own: along the view, as far
    as the middle of the scene box (so the host turns the camera about the
    model), or as far as the scene is wide when the scene is behind it."""
    eye = Vector(eye)
    direction = view.normalized()
    distance = 1.0
    if bounds is not None:
        low, high = Vector(bounds[0]), Vector(bounds[1])
        distance = (((low + high) / 2.0) - eye).dot(direction)
        if not distance > 0.0:
            distance = max(1.0, (high - low).length)
    return eye + direction * distance
