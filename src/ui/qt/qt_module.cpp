// The Qt layer grows here.
