function nowebrtc(source, args) {
  // RTCPeerConnection (and its prefixed names) becomes an inert stand-in: the
  // page can build connections, make offers and add candidates without
  // errors, but nothing is gathered or sent, so no ICE traffic reveals the
  // user's addresses and no peer-to-peer ad delivery starts.
  try {
    const names = ['RTCPeerConnection', 'webkitRTCPeerConnection', 'mozRTCPeerConnection'];
    if (!names.some((name) => typeof window[name] === 'function')) {
      return;
    }
    const resolved = (value) => Promise.resolve(value);
    const BaseTarget = typeof EventTarget === 'function' ? EventTarget : Object;

    // A data channel that never opens.
    class InertDataChannel extends BaseTarget {
      constructor(label) {
        super();
        this.label = String(label);
        this.readyState = 'closed';
        this.bufferedAmount = 0;
      }
      send() {}
      close() {}
    }

    class InertPeerConnection extends BaseTarget {
      constructor(configuration) {
        super();
        this._configuration = configuration || {};
        this.localDescription = null;
        this.remoteDescription = null;
        this.currentLocalDescription = null;
        this.currentRemoteDescription = null;
        this.pendingLocalDescription = null;
        this.pendingRemoteDescription = null;
        this.signalingState = 'stable';
        this.iceGatheringState = 'new';
        this.iceConnectionState = 'new';
        this.connectionState = 'new';
        this.canTrickleIceCandidates = null;
        this.onicecandidate = null;
        this.ondatachannel = null;
        this.ontrack = null;
        this.onnegotiationneeded = null;
        if (source.verbose) {
          console.log(`${source.name}: a peer connection was made inert`);
        }
      }
      createOffer() {
        return resolved({ type: 'offer', sdp: '' });
      }
      createAnswer() {
        return resolved({ type: 'answer', sdp: '' });
      }
      setLocalDescription() {
        return resolved(undefined);
      }
      setRemoteDescription() {
        return resolved(undefined);
      }
      addIceCandidate() {
        return resolved(undefined);
      }
      getStats() {
        return resolved(new Map());
      }
      getConfiguration() {
        return this._configuration;
      }
      setConfiguration() {}
      createDataChannel(label) {
        return new InertDataChannel(label);
      }
      addTrack() {
        return null;
      }
      removeTrack() {}
      addTransceiver() {
        return null;
      }
      addStream() {}
      removeStream() {}
      getSenders() {
        return [];
      }
      getReceivers() {
        return [];
      }
      getTransceivers() {
        return [];
      }
      getLocalStreams() {
        return [];
      }
      getRemoteStreams() {
        return [];
      }
      restartIce() {}
      close() {
        this.signalingState = 'closed';
        this.connectionState = 'closed';
        this.iceConnectionState = 'closed';
      }
    }
    InertPeerConnection.generateCertificate = () => Promise.reject(new DOMException('Not supported', 'NotSupportedError'));

    for (const name of names) {
      if (typeof window[name] === 'function') {
        window[name] = InertPeerConnection;
      }
    }
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
