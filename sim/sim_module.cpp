// The virtual mouse grows here.
