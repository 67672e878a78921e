// Stands in for the Google IMA SDK for HTML5 (ima3.js). Players build the
// google.ima objects as usual; every ad request ends in an AD_ERROR event
// (an empty ad response), the documented signal for a player to go on with
// its content. No ad is ever loaded or shown.
(function() {
    'use strict';
    var noop = function() {};

    // Runs a callback of the page; its error surfaces in a task of its own
    // instead of stopping this script.
    var run = function(callback, self, args) {
        try {
            return callback.apply(self, args || []);
        } catch (error) {
            setTimeout(function() {
                throw error;
            }, 0);
        }
    };

    // addEventListener/removeEventListener for the SDK's objects.
    var EventTarget = function() {
        this.listeners = [];
    };
    EventTarget.prototype.addEventListener = function(types, listener, useCapture, context) {
        [].concat(types).forEach(function(type) {
            this.listeners.push({type: type, listener: listener, context: context});
        }, this);
    };
    EventTarget.prototype.removeEventListener = function(types, listener) {
        [].concat(types).forEach(function(type) {
            this.listeners = this.listeners.filter(function(entry) {
                return entry.type !== type || entry.listener !== listener;
            });
        }, this);
    };
    EventTarget.prototype.dispatch = function(event) {
        this.listeners.slice().forEach(function(entry) {
            if (entry.type !== event.type) {
                return;
            }
            if (typeof entry.listener === 'function') {
                run(entry.listener, entry.context || null, [event]);
            } else if (entry.listener && typeof entry.listener.handleEvent === 'function') {
                run(entry.listener.handleEvent, entry.listener, [event]);
            }
        });
    };

    var AdError = function(message, code, type) {
        this.message = message;
        this.errorCode = code;
        this.type = type;
    };
    AdError.prototype.getErrorCode = function() {
        return this.errorCode;
    };
    AdError.prototype.getVastErrorCode = function() {
        return 303;  // VAST error code for a response that holds no ad
    };
    AdError.prototype.getMessage = function() {
        return this.message;
    };
    AdError.prototype.getType = function() {
        return this.type;
    };
    AdError.prototype.getInnerError = function() {
        return null;
    };
    AdError.prototype.toString = function() {
        return 'AdError ' + this.errorCode + ': ' + this.message;
    };
    AdError.ErrorCode = {
        VAST_EMPTY_RESPONSE: 1009,
        VAST_LOAD_TIMEOUT: 301,
        VAST_NO_ADS_AFTER_WRAPPER: 303,
        UNKNOWN_ERROR: 900,
        FAILED_TO_REQUEST_ADS: 1005,
        ADS_REQUEST_NETWORK_ERROR: 1012,
        INVALID_ARGUMENTS: 1101,
        AUTOPLAY_DISALLOWED: 1205,
    };
    AdError.Type = {AD_LOAD: 'adLoadError', AD_PLAY: 'adPlayError'};

    var AdErrorEvent = function(error, context) {
        this.type = AdErrorEvent.Type.AD_ERROR;
        this.error = error;
        this.context = context;
    };
    AdErrorEvent.prototype.getError = function() {
        return this.error;
    };
    AdErrorEvent.prototype.getUserRequestContext = function() {
        return this.context;
    };
    AdErrorEvent.Type = {AD_ERROR: 'adError'};

    var AdEvent = function(type) {
        this.type = type;
    };
    AdEvent.prototype.getAd = function() {
        return null;
    };
    AdEvent.prototype.getAdData = function() {
        return {};
    };
    AdEvent.Type = {
        AD_BREAK_READY: 'adBreakReady',
        AD_BUFFERING: 'adBuffering',
        AD_CAN_PLAY: 'adCanPlay',
        AD_METADATA: 'adMetadata',
        AD_PROGRESS: 'adProgress',
        ALL_ADS_COMPLETED: 'allAdsCompleted',
        CLICK: 'click',
        COMPLETE: 'complete',
        CONTENT_PAUSE_REQUESTED: 'contentPauseRequested',
        CONTENT_RESUME_REQUESTED: 'contentResumeRequested',
        DURATION_CHANGE: 'durationChange',
        FIRST_QUARTILE: 'firstQuartile',
        IMPRESSION: 'impression',
        INTERACTION: 'interaction',
        LINEAR_CHANGED: 'linearChanged',
        LOADED: 'loaded',
        LOG: 'log',
        MIDPOINT: 'midpoint',
        PAUSED: 'pause',
        RESUMED: 'resume',
        SKIPPABLE_STATE_CHANGED: 'skippableStateChanged',
        SKIPPED: 'skip',
        STARTED: 'start',
        THIRD_QUARTILE: 'thirdQuartile',
        USER_CLOSE: 'userClose',
        VIDEO_CLICKED: 'videoClicked',
        VIDEO_ICON_CLICKED: 'videoIconClicked',
        VOLUME_CHANGED: 'volumeChange',
        VOLUME_MUTED: 'mute',
    };

    // The ads manager that a page would get; kept so that code holding one works.
    var AdsManager = function() {
        EventTarget.call(this);
        this.volume = 1;
    };
    AdsManager.prototype = Object.create(EventTarget.prototype);
    [
        'clicked', 'collapse', 'configureAdsManager', 'destroy', 'discardAdBreak', 'expand',
        'focus', 'init', 'pause', 'resize', 'resume', 'setAutoPlayAdBreaks', 'skip', 'stop',
        'updateAdsRenderingSettings',
    ].forEach(function(method) {
        AdsManager.prototype[method] = noop;
    });
    // start() with no ad to play: the player gets its content back at once.
    AdsManager.prototype.start = function() {
        var manager = this;
        setTimeout(function() {
            manager.dispatch(new AdEvent(AdEvent.Type.CONTENT_RESUME_REQUESTED));
            manager.dispatch(new AdEvent(AdEvent.Type.ALL_ADS_COMPLETED));
        }, 1);
    };
    AdsManager.prototype.getAdSkippableState = function() {
        return false;
    };
    AdsManager.prototype.getCuePoints = function() {
        return [];
    };
    AdsManager.prototype.getCurrentAd = function() {
        return null;
    };
    AdsManager.prototype.getRemainingTime = function() {
        return 0;
    };
    AdsManager.prototype.getVolume = function() {
        return this.volume;
    };
    AdsManager.prototype.setVolume = function(volume) {
        this.volume = volume;
    };
    AdsManager.prototype.isCustomClickTrackingUsed = function() {
        return false;
    };
    AdsManager.prototype.isCustomPlaybackUsed = function() {
        return false;
    };

    var AdsManagerLoadedEvent = function(context) {
        this.type = AdsManagerLoadedEvent.Type.ADS_MANAGER_LOADED;
        this.context = context;
    };
    AdsManagerLoadedEvent.prototype.getAdsManager = function() {
        return new AdsManager();
    };
    AdsManagerLoadedEvent.prototype.getUserRequestContext = function() {
        return this.context;
    };
    AdsManagerLoadedEvent.Type = {ADS_MANAGER_LOADED: 'adsManagerLoaded'};

    var ImaSdkSettings = function() {
        this.values = {
            locale: 'en',
            numRedirects: 4,
            playerType: '',
            playerVersion: '',
            ppid: '',
            sessionId: '',
            vpaidMode: 0,
            autoPlayAdBreaks: true,
            cookiesEnabled: true,
            disableCustomPlaybackForIOS10Plus: false,
            featureFlags: {},
        };
    };
    Object.keys(new ImaSdkSettings().values).forEach(function(key) {
        var suffix = key.charAt(0).toUpperCase() + key.slice(1);
        ImaSdkSettings.prototype['set' + suffix] = function(value) {
            this.values[key] = value;
        };
        ImaSdkSettings.prototype['get' + suffix] = function() {
            return this.values[key];
        };
    });
    ImaSdkSettings.prototype.isCookiesEnabled = function() {
        return this.values.cookiesEnabled;
    };
    ImaSdkSettings.prototype.getDisableFlashAds = function() {
        return true;
    };
    ImaSdkSettings.prototype.setDisableFlashAds = noop;
    ImaSdkSettings.prototype.setCompanionBackfill = noop;
    ImaSdkSettings.prototype.getCompanionBackfill = function() {
        return 'always';
    };
    ImaSdkSettings.CompanionBackfillMode = {ALWAYS: 'always', ON_MASTER_AD: 'on_master_ad'};
    ImaSdkSettings.VpaidMode = {DISABLED: 0, ENABLED: 1, INSECURE: 2};

    var settings = new ImaSdkSettings();

    var AdsLoader = function() {
        EventTarget.call(this);
        this.settings = settings;
    };
    AdsLoader.prototype = Object.create(EventTarget.prototype);
    AdsLoader.prototype.contentComplete = noop;
    AdsLoader.prototype.destroy = noop;
    AdsLoader.prototype.getSettings = function() {
        return this.settings;
    };
    AdsLoader.prototype.getVersion = function() {
        return google.ima.VERSION;
    };
    // requestAds(request, userRequestContext): no ads, the empty-response error.
    AdsLoader.prototype.requestAds = function(request, context) {
        var loader = this;
        setTimeout(function() {
            var error = new AdError('The VAST response document is empty.',
                                    AdError.ErrorCode.VAST_EMPTY_RESPONSE, AdError.Type.AD_LOAD);
            loader.dispatch(new AdErrorEvent(error, context));
        }, 1);
    };

    var AdDisplayContainer = function() {};
    AdDisplayContainer.prototype.initialize = noop;
    AdDisplayContainer.prototype.destroy = noop;

    var AdsRequest = function() {
        this.adTagUrl = '';
        this.adsResponse = '';
        this.linearAdSlotWidth = 0;
        this.linearAdSlotHeight = 0;
        this.nonLinearAdSlotWidth = 0;
        this.nonLinearAdSlotHeight = 0;
        this.vastLoadTimeout = 5000;
        this.forceNonLinearFullSlot = false;
    };
    [
        'setAdWillAutoPlay', 'setAdWillPlayMuted', 'setContinuousPlayback', 'setContentDuration',
        'setContentKeywords', 'setContentTitle', 'setLiveStreamPrefetchSeconds',
    ].forEach(function(method) {
        AdsRequest.prototype[method] = noop;
    });

    var AdsRenderingSettings = function() {
        this.autoAlign = true;
        this.bitrate = -1;
        this.enablePreloading = false;
        this.loadVideoTimeout = 8000;
        this.mimeTypes = null;
        this.playAdsAfterTime = -1;
        this.restoreCustomPlaybackStateOnAdBreakComplete = false;
        this.uiElements = null;
        this.useStyledLinearAds = false;
        this.useStyledNonLinearAds = false;
    };

    var CompanionAdSelectionSettings = function() {
        this.creativeType = 'All';
        this.resourceType = 'All';
        this.sizeCriteria = 'SelectExactMatch';
    };
    CompanionAdSelectionSettings.CreativeType = {ALL: 'All', FLASH: 'Flash', IMAGE: 'Image'};
    CompanionAdSelectionSettings.ResourceType = {
        ALL: 'All',
        HTML: 'Html',
        IFRAME: 'IFrame',
        STATIC: 'Static',
    };
    CompanionAdSelectionSettings.SizeCriteria = {
        IGNORE: 'IgnoreSize',
        SELECT_EXACT_MATCH: 'SelectExactMatch',
        SELECT_NEAR_MATCH: 'SelectNearMatch',
    };

    var google = window.google || {};
    google.ima = {
        AdDisplayContainer: AdDisplayContainer,
        AdError: AdError,
        AdErrorEvent: AdErrorEvent,
        AdEvent: AdEvent,
        AdsLoader: AdsLoader,
        AdsManager: AdsManager,
        AdsManagerLoadedEvent: AdsManagerLoadedEvent,
        AdsRenderingSettings: AdsRenderingSettings,
        AdsRequest: AdsRequest,
        CompanionAdSelectionSettings: CompanionAdSelectionSettings,
        ImaSdkSettings: ImaSdkSettings,
        OmidAccessMode: {DOMAIN: 'domain', FULL: 'full', LIMITED: 'limited'},
        OmidVerificationVendor: {},
        UiElements: {AD_ATTRIBUTION: 'adAttribution', COUNTDOWN: 'countdown'},
        UniversalAdIdInfo: function() {},
        ViewMode: {FULLSCREEN: 'fullscreen', NORMAL: 'normal'},
        VERSION: '3.0.0',
        settings: settings,
    };
    window.google = google;
})();
